#include "app/qt/ini_settings_backend.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cstdlib>
#include <stdexcept>
#include <utility>

namespace orvimo {

namespace {

const QString kSection = QStringLiteral("TfrmMain");

std::string ConfigHome() {
  const char* configured = std::getenv("XDG_CONFIG_HOME");
  if (configured != nullptr && *configured != '\0') return configured;
  return QFile::encodeName(QDir::homePath()).toStdString() + "/.config";
}

// Text is single-byte throughout the program: Latin-1 maps every byte to one character and back.
QString Key(const std::string& name) { return kSection + '/' + QString::fromLatin1(name); }

}  // namespace

IniSettingsBackend::IniSettingsBackend(const std::string& exeName)
    : directory_(ConfigHome() + "/" + exeName), filePath_(directory_ + "/" + exeName + ".ini") {}

IniSettingsBackend::~IniSettingsBackend() = default;

std::string IniSettingsBackend::DefaultExeName() {
  const std::string name =
      QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
  return name.empty() ? "orvimo2" : name;
}

std::string IniSettingsBackend::FilePath() const { return filePath_; }

QSettings& IniSettingsBackend::Settings() {
  if (!settings_)
    settings_ = std::make_unique<QSettings>(QFile::decodeName(filePath_.c_str()), QSettings::IniFormat);
  return *settings_;
}

void IniSettingsBackend::OpenProgramKey() {
  // The program's folder stands for its key. A folder that cannot be made only means nothing is
  // stored yet: reading goes on with every value missing.
  QDir().mkpath(QFile::decodeName(directory_.c_str()));
  Settings();
}

std::optional<std::string> IniSettingsBackend::Read(const std::string& name) {
  // A damaged file parses into whatever lines survive; a value that does not load is simply missing.
  QVariant value;
  try {
    value = Settings().value(Key(name));
  } catch (const std::exception&) {
    // A forged typed value can ask for an absurd allocation while it is decoded.
    return std::nullopt;
  }
  if (!value.isValid()) return std::nullopt;
  if (value.typeId() != QMetaType::QString) throw std::runtime_error("Invalid data type for '" + name + "'");
  return value.toString().toLatin1().toStdString();
}

void IniSettingsBackend::OpenForWrite() {
  // QSettings reports a failed write only when it flushes; make sure here that the file can be had.
  const QString path = QFile::decodeName(filePath_.c_str());
  QFile file(path);
  if (!QDir().mkpath(QFile::decodeName(directory_.c_str())) ||
      !file.open(QIODevice::WriteOnly | QIODevice::Append))
    throw std::runtime_error("Failed to create key " + filePath_);
  file.close();
  // Read the file afresh, as another run may have saved meanwhile. QSettings keeps only its first
  // error, so a file it cannot parse would hide a failed write: such a file holds nothing usable and
  // is started anew.
  settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  if (settings_->status() != QSettings::NoError) {
    settings_.reset();
    if (!QFile::remove(path) || !file.open(QIODevice::WriteOnly))
      throw std::runtime_error("Failed to create key " + filePath_);
    file.close();
    settings_ = std::make_unique<QSettings>(path, QSettings::IniFormat);
  }
  DropForeignEntries();
  firstUnflushedName_.reset();
}

void IniSettingsBackend::DropForeignEntries() {
  // The file holds the window's section and nothing else; other lines are debris of a damaged file.
  for (const QString& group : settings_->childGroups())
    if (group != kSection) settings_->remove(group);
  for (const QString& key : settings_->childKeys()) settings_->remove(key);
}

void IniSettingsBackend::Write(const std::string& name, const std::string& value) {
  if (!firstUnflushedName_) firstUnflushedName_ = name;
  Settings().setValue(Key(name), QString::fromLatin1(value));
}

void IniSettingsBackend::Close() {
  if (!settings_) return;
  settings_->sync();
  const std::optional<std::string> unflushed = std::exchange(firstUnflushedName_, std::nullopt);
  if (settings_->status() == QSettings::AccessError && unflushed)
    throw std::runtime_error("Failed to set data for '" + *unflushed + "'");
}

}  // namespace orvimo
