#include "app/qt/qt_dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "encoding/file_type.h"
#include "recording/recorder.h"

namespace orvimo {

namespace {

QString FromLocal(const std::string& text) { return QString::fromLocal8Bit(text.c_str()); }

QString FromLatin1(std::string_view text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// One filter per file type, in the type list's order, then all files.
QStringList SaveFilters() {
  QStringList filters;
  for (FileType type : kFileTypes) {
    filters << QStringLiteral("%1 files (*%2)")
                   .arg(FromLatin1(FileTypeName(type)), FromLatin1(FileTypeExtension(type)));
  }
  filters << QStringLiteral("All files (*)");
  return filters;
}

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
  const QStringList filters = SaveFilters();
  QFileDialog dialog(owner_, QString(), FromLocal(currentName));
  dialog.setObjectName(QStringLiteral("SaveDialog"));
  dialog.setNameFilters(filters);
  // The files of the name's own type are listed, so a FLAC recording's folder shows its FLAC files.
  if (const auto type = FileTypeOfName(currentName))
    dialog.selectNameFilter(filters[static_cast<int>(*type)]);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toLocal8Bit().toStdString();
}

}  // namespace orvimo
