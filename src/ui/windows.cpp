#include "ui/windows.h"

#include <QFontDatabase>
#include <QLabel>
#include <QVBoxLayout>

#include "core/version.h"

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

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QString::fromStdString("Varnak " + LongVersionText()), this));
  layout->addWidget(new QLabel("A DX-cluster client for radio amateurs.\nBuilt with Qt, Hamlib and Direwolf in mind.", this));
}

TChatForm::TChatForm(QWidget* parent) : QWidget(parent, Qt::Window) { setWindowTitle("Chat"); }

TextWindow::TextWindow(const QString& caption, QWidget* parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  text_ = new QPlainTextEdit(this);
  text_->setReadOnly(true);
  text_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  layout->addWidget(text_);
  resize(600, 400);
}

TCallsign::TCallsign(QWidget* parent) : QDialog(parent) { setWindowTitle("Callsign / Prefix lookup"); }

}  // namespace varnak
