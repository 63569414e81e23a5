// The operator's commands on the main window: the send notebook, the user buttons and
// the menu of the cluster text pane.
#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QKeyEvent>
#include <QTextEdit>
#include <algorithm>

#include "app/win1252.h"
#include "ui/main_window.h"
#include "ui/upper_case_edit.h"

namespace varnak {

namespace {

// Runs a handler for events of one object; the handler says whether it ate the event.
class EventHook : public QObject {
 public:
  EventHook(QObject* target, std::function<bool(QEvent*)> handler) : QObject(target), handler_(std::move(handler)) {
    target->installEventFilter(this);
  }
  bool eventFilter(QObject*, QEvent* event) override { return handler_(event); }

 private:
  std::function<bool(QEvent*)> handler_;
};

// Calls onKey with the released key; auto-repeat releases are not the operator's.
void OnKeyRelease(QWidget* widget, std::function<void(int key)> onKey) {
  new EventHook(widget, [onKey = std::move(onKey)](QEvent* e) {
    if (e->type() != QEvent::KeyRelease) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (!key->isAutoRepeat()) onKey(key->key());
    return false;
  });
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Enter sends on the press that went to this box. Its release may belong to an Enter
// pressed elsewhere (one that closed a message box or saved the setup dialog) and
// landed here only because the focus came back; acting on it sent again, and a box
// closed with Enter came straight back.
void OnEnterPress(QWidget* widget, std::function<void()> onEnter) {
  new EventHook(widget, [onEnter = std::move(onEnter)](QEvent* e) {
    if (e->type() != QEvent::KeyPress) return false;
    auto* key = static_cast<QKeyEvent*>(e);
    if (!IsEnter(key->key())) return false;
    if (!key->isAutoRepeat()) onEnter();
    return true;
  });
}

QTextCursor PaneCursor(QWidget* pane, bool* ok) {
  *ok = true;
  if (auto* p = qobject_cast<QPlainTextEdit*>(pane)) return p->textCursor();
  if (auto* t = qobject_cast<QTextEdit*>(pane)) return t->textCursor();
  *ok = false;
  return {};
}

QString SelectedPaneText(QWidget* pane) {
  bool ok = false;
  QTextCursor c = PaneCursor(pane, &ok);
  QString text = ok ? c.selectedText() : pane->property("selectedText").toString();
  // A selection over several lines reads as one line of words.
  text.replace(QChar::ParagraphSeparator, ' ');
  text.replace(QChar::LineSeparator, ' ');
  return text;
}

}  // namespace

void TForm1::WireOperatorCommands() {
  ForceUpperCase(DxCallEdit);
  ForceUpperCase(TalkCallEdit);

  // "Clear" beside "Send spot" on the spot form.
  ClearDxButton = new QPushButton("Clear", SendSpotButton->parentWidget());
  ClearDxButton->setObjectName("Button7");
  if (auto* row = qobject_cast<QBoxLayout*>(SendSpotButton->parentWidget()->layout())) row->addWidget(ClearDxButton);

  connect(SendTextButton, &QPushButton::clicked, this, &TForm1::Button4Click);
  connect(SendSpotButton, &QPushButton::clicked, this, &TForm1::Button5Click);
  connect(ClearDxButton, &QPushButton::clicked, this, &TForm1::Button7Click);
  connect(AnnounceButton, &QPushButton::clicked, this, &TForm1::Button8Click);
  connect(TalkButton, &QPushButton::clicked, this, &TForm1::Button1Click);
  connect(AnnounceLocal, &QRadioButton::clicked, this, &TForm1::RadioButton1Click);
  connect(AnnounceAll, &QRadioButton::clicked, this, &TForm1::RadioButton2Click);
  connect(VrDemoButton1, &QPushButton::clicked, this, &TForm1::VrDemoButton1Click);
  connect(TabbedNotebook2, &QTabWidget::currentChanged, this, &TForm1::TabbedNotebook2Click);

  OnKeyRelease(SendTextEdit, [this](int key) {
    std::optional<std::string> text;
    if (key == Qt::Key_Up) {
      text = History.Up();
    } else if (key == Qt::Key_Down) {
      text = History.Down();
    }
    if (text) {
      SendTextEdit->setText(ToQString(*text));
      SendTextEdit->setCursorPosition(SendTextEdit->text().size());
    }
  });
  OnEnterPress(SendTextEdit, [this] { Button4Click(); });
  OnEnterPress(AnnounceEdit, [this] { Button8Click(); });
  OnEnterPress(TalkTextEdit, [this] { Button1Click(); });
  for (QLineEdit* field : {DxCallEdit, DxQrgEdit, DxInfoEdit}) OnEnterPress(field, [this] { Button5Click(); });

  RichPopup = new QMenu(this);
  RichPopup->setObjectName("RichPopup");
  RichPopup->addAction("Copy         Ctrl-C", this, [this] {
    if (auto* p = qobject_cast<QPlainTextEdit*>(RichEditAll)) p->copy();
    else if (auto* t = qobject_cast<QTextEdit*>(RichEditAll)) t->copy();
  });
  // From the pane's lines, not only from the view: what is deleted stays deleted in
  // "all.rtf" and after a restart.
  RichPopup->addAction("Delete       Del", this, [this] {
    auto* view = qobject_cast<LinePaneView*>(RichEditAll);
    auto* model = view ? qobject_cast<ClusterTextModel*>(view->model()) : nullptr;
    if (!model) {
      bool ok = false;
      QTextCursor c = PaneCursor(RichEditAll, &ok);
      if (ok) c.removeSelectedText();
      return;
    }
    view->Sync();
    const QTextCursor c = view->textCursor();
    if (!c.hasSelection()) return;
    const auto [firstLine, firstColumn] = model->LineAndColumnAt(c.selectionStart());
    const auto [lastLine, lastColumn] = model->LineAndColumnAt(c.selectionEnd());
    model->DeleteText(firstLine, firstColumn, lastLine, lastColumn);
    view->Sync();
  });
  RichPopup->addAction("Select all   Ctrl-A", this, [this] {
    if (auto* p = qobject_cast<QPlainTextEdit*>(RichEditAll)) p->selectAll();
    else if (auto* t = qobject_cast<QTextEdit*>(RichEditAll)) t->selectAll();
  });
  RichPopup->addAction("Send password", this, &TForm1::Sendpassword1Click)->setObjectName("Sendpassword1");
  AttachRichPopup();
  // The classifier may put its own view in place of the pane; the menu follows it.
  new EventHook(Splitter2, [this](QEvent* e) {
    if (e->type() == QEvent::ChildAdded) QTimer::singleShot(0, this, &TForm1::AttachRichPopup);
    return false;
  });
}

void TForm1::AttachRichPopup() {
  QWidget* pane = RichEditAll;
  if (!pane || pane->property("varnakRichPopup").toBool()) return;
  pane->setProperty("varnakRichPopup", true);
  pane->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(pane, &QWidget::customContextMenuRequested, this,
          [this, pane](const QPoint& pos) { RichPopup->popup(pane->mapToGlobal(pos)); });
}

bool TForm1::SendCommandLine(const std::string& text) {
  if (SendLineChecked) return SendLineChecked(text);
  return station_->SendLine(text);
}

void TForm1::Button4Click() {
  station_->keepAlive().Stop();
  std::string text = FromQString(SendTextEdit->text());
  if (SendCommandLine(text)) {
    if (TabbedNotebook1->currentIndex() == kSpotListCount) {  // the search page
      SearchEdit->setFocus();
    } else {
      FocusVisibleSendPage();
    }
    History.Record(text);
    SendTextEdit->clear();
  }
  // Also after a refused line, or the keep-alive would stay off for good.
  station_->keepAlive().Start();
}

void TForm1::Button5Click() {
  // A spot sent leaves no call behind for the radio's next frequency to be spotted with.
  if (SendCommandLine(SpotCommand(FromQString(DxCallEdit->text()), FromQString(DxQrgEdit->text()),
                                  FromQString(DxInfoEdit->text()))))
    Button7Click();
}

void TForm1::Button7Click() {
  DxCallEdit->clear();
  DxQrgEdit->clear();
  DxInfoEdit->clear();
}

void TForm1::RadioButton1Click() {
  AnnouncePrefix = kAnnounceLocal;
  FocusVisibleSendPage();
}

void TForm1::RadioButton2Click() {
  AnnouncePrefix = kAnnounceFull;
  FocusVisibleSendPage();
}

void TForm1::Button8Click() {
  if (SendCommandLine(AnnounceCommand(AnnouncePrefix, FromQString(AnnounceEdit->text())))) AnnounceEdit->clear();
}

void TForm1::Button1Click() {
  station_->keepAlive().Stop();
  std::string call = FromQString(TalkCallEdit->text());
  std::string text = FromQString(TalkTextEdit->text());
  bool sent = true;
  if (auto line = TalkCommand(call, text)) {
    sent = SendCommandLine(*line);
    if (sent) {
      station_->talk().AppendLine(TalkPaneLine(station_->clock().LocalNow(), call, station_->settings().MyCall, text));
    }
  }
  if (sent) {
    if (TabbedNotebook1->currentIndex() == kSpotListCount) {  // the search page
      SearchEdit->setFocus();
    } else {
      FocusVisibleSendPage();
    }
    TalkTextEdit->clear();
  }
  station_->keepAlive().Start();
}

void TForm1::VrDemoButton1Click() {
  station_->users().Clear();
  SendCommandLine(kUpdateUsersCommand);
}

void TForm1::TabbedNotebook2Click() {
  switch (TabbedNotebook2->currentIndex()) {
    case 0: SendTextEdit->setFocus(); break;
    case 1: DxCallEdit->setFocus(); break;
    case 2: AnnounceEdit->setFocus(); break;
    case 3: TalkTextEdit->setFocus(); break;
    default: break;
  }
  if (IsFrozen && IsFrozen() && SetFreezeInterval) SetFreezeInterval(100);
}

void TForm1::Sendpassword1Click() {
  std::string challenge = FromQString(SelectedPaneText(RichEditAll));
  SendTextEdit->setFocus();
  SendCommandLine(PasswordChallengeAnswer(challenge, station_->settings().Password, ChallengeRandom));
}

void TForm1::SendSpotLookup(SpotLookup item, const std::string& dxCall, const std::string& homeCall) {
  SendCommandLine(SpotLookupLine(item, dxCall, homeCall));
}

void TForm1::AttachButtonEditor(TEditButtonDlg* dialog) {
  EditButtonDlg = dialog;
  dialog->buildButtons = [this] { BuildUserButtons(); };
  BuildUserButtons();
}

void TForm1::BuildUserButtons() {
  FreeButtons();
  if (!EditButtonDlg) return;
  Table table = EditButtonDlg->ButtonTable();
  std::vector<ButtonPlace> places = LayoutUserButtons(table);
  // At least as wide as the table's layout, wider where a theme's font needs it.
  int left = places.empty() ? 1 : places[0].left;
  for (size_t r = 0; r < table.size(); ++r) {
    const TableRow& row = table[r];
    auto* button = new QPushButton(ToQString(row.empty() ? std::string() : row[0]), Panel4);
    button->setToolTip(ToQString(row.size() > 1 ? row[1] : std::string()));
    button->setProperty("userButtonRow", static_cast<int>(r));
    const int width = std::max(places[r].width, CaptionWidth(button, button->text()));
    button->setGeometry(left, 1, width, 22);
    left += width;
    connect(button, &QPushButton::clicked, this, [this, button] { ButtonClicked(button); });
    button->show();
    UserButtons.push_back(button);
  }
}

void TForm1::FreeButtons() {
  for (QPushButton* button : UserButtons) delete button;
  UserButtons.clear();
}

void TForm1::ButtonClicked(QObject* sender) {
  QVariant row = sender ? sender->property("userButtonRow") : QVariant();
  if (!row.isValid() || !EditButtonDlg) return;
  SendCommandLine(EditButtonDlg->CommandAt(row.toInt()));
}

}  // namespace varnak
