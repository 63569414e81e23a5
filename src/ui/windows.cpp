#include "ui/windows.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTextCursor>
#include <QTextDocument>
#include <string_view>
#include <QLabel>
#include <QVBoxLayout>

#include "app/win1252.h"
#include "core/text.h"
#include "core/version.h"
#include "ui/work_area_fit.h"

namespace varnak {

SplashWindow::SplashWindow(const QString& longVersion) : QWidget(nullptr, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
  auto* layout = new QVBoxLayout(this);
  title_ = new QLabel("Varnak " + longVersion, this);
  QFont f = title_->font();
  f.setPointSize(f.pointSize() * 2);
  f.setBold(true);
  title_->setFont(f);
  title_->setAlignment(Qt::AlignCenter);
  layout->addWidget(title_);
  auto* wait = new QLabel("Please wait wile loading ...", this);
  wait->setAlignment(Qt::AlignCenter);
  layout->addWidget(wait);
  setStyleSheet("background: #1f3a5a; color: white;");
  resize(360, 140);
}

int CaptionWidth(const QWidget* button, const QString& caption) {
  const QStyle* style = button->style();
  return button->fontMetrics().horizontalAdvance(caption) +
         2 * (style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
              style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button));
}

QIcon ProgramIcon(const std::filesystem::path& shippedDataFolder) {
  const QString id = "io.github.varnak.Varnak";
  QIcon icon;
  if (!shippedDataFolder.empty()) {
    const QString hicolor = QString::fromStdString((shippedDataFolder / ".." / "icons" / "hicolor").string());
    for (const char* size : {"48x48", "128x128", "256x256"}) {
      const QString file = hicolor + "/" + size + "/apps/" + id + ".png";
      if (QFileInfo::exists(file)) icon.addFile(file);
    }
  }
  return icon.isNull() ? QIcon::fromTheme(id) : icon;
}

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  KeepInWorkArea(this);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString("Varnak " + LongVersionText()), this));
  layout->addWidget(new QLabel(
      QString::fromStdString("Version " + PackageVersionText() +
                             "\nA DX-cluster client for radio amateurs.\nBuilt with Qt, Hamlib and Direwolf in mind.\n\n"
                             "Free software under the GNU General Public License,\nversion 3 or any later version."),
      this));
}

TChatForm::TChatForm(QWidget* parent) : QWidget(parent, Qt::Window) { setWindowTitle("Chat"); }

TextWindow::TextWindow(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  QFont font("Courier New");
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  text_->setFont(font);
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(text_);
  resize(600, 400);
  KeepInWorkArea(this);
}

void TextWindow::AddLine(const QString& line) {
  QTextCursor c(text_->document());
  c.movePosition(QTextCursor::End);
  if (appended_) c.insertBlock();
  c.insertText(line);
  appended_ = true;
  text_->moveCursor(QTextCursor::End);
  text_->ensureCursorVisible();
}

void TextWindow::Clear() {
  text_->clear();
  appended_ = false;
}

void TextWindow::ShowCentred() {
  if (!isVisible()) {
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
      move(s->availableGeometry().center() - rect().center());
  }
  show();
  raise();
}

void TMoniForm::Showdata(const std::string& text) {
  std::string_view rest = text;
  do {
    AddLine(ToQString(TakeCrLine(rest)));
  } while (!rest.empty());
  QTextDocument* doc = this->text()->document();
  if (doc->characterCount() - 1 > kMaxChars) {
    QTextCursor c(doc);
    c.setPosition(kKeepFrom - 1, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    this->text()->moveCursor(QTextCursor::End);
    this->text()->ensureCursorVisible();
  }
}


}  // namespace varnak
