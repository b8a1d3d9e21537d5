#include "app/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "recording/recorder.h"

namespace orvimo {

namespace {

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

}  // namespace

void QtDialogs::ShowError(const std::string& text) {
  if (withoutDisplay_) return LogFault(text);
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), FromLocal(text), QMessageBox::Ok, owner_);
  box.exec();
}

void QtDialogs::ShowWarning(const std::string& text) {
  if (withoutDisplay_) return LogFault(text);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("Warning"), FromLocal(text), QMessageBox::Ok, owner_);
  box.exec();
}

void QtDialogs::ShowAlert(const std::string& text, const std::string& title, std::function<void()> onClosed) {
  if (withoutDisplay_) return LogFault(text);
  // No owner and not modal: the main window stays usable and its timers keep running.
  auto* box = new QMessageBox(QMessageBox::Information, FromLocal(title), FromLocal(text), QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowFlag(Qt::WindowStaysOnTopHint);
  box->setModal(false);
  QObject::connect(box, &QMessageBox::finished, box, [onClosed = std::move(onClosed)](int) {
    if (onClosed) onClosed();
  });
  box->show();
}

std::optional<std::string> QtDialogs::AskSaveFileName(const std::string& currentName) {
  if (withoutDisplay_) return std::nullopt;
  QFileDialog dialog(owner_, QString(), FromLocal(currentName), QString::fromLatin1(kSaveFilter));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

}  // namespace orvimo
