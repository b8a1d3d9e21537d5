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

// A value keeps its blanks and quotes when it is quoted as a whole; nothing else is escaped.
bool NeedsQuotes(const QByteArray& value) {
  if (value.isEmpty()) return false;
  const bool padded = value.front() <= ' ' || value.back() <= ' ';
  const bool quoted = value.size() >= 2 && value.front() == '"' && value.back() == '"';
  return padded || quoted;
}

// The file is read the way a person writes it: "name=value" lines under "[section]" headers, every
// value plain text, names exactly as written ("NormPos(1920x1080)"). A line that is neither is
// skipped, so a damaged file yields whatever lines survive and never a typed or escaped value.
bool ReadPlainIni(QIODevice& device, QSettings::SettingsMap& map) {
  QString section;
  for (QByteArray line : device.readAll().split('\n')) {
    line = line.trimmed();
    if (line.isEmpty() || line.startsWith(';') || line.startsWith('#')) continue;
    if (line.startsWith('[')) {
      section = line.endsWith(']') ? QString::fromLatin1(line.mid(1, line.size() - 2)).trimmed() : QString();
      continue;
    }
    const qsizetype equals = line.indexOf('=');
    if (equals <= 0) continue;
    const QString name = QString::fromLatin1(line.left(equals).trimmed());
    QByteArray value = line.mid(equals + 1).trimmed();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.mid(1, value.size() - 2);
    map.insert(section.isEmpty() ? name : section + '/' + name, QString::fromLatin1(value));
  }
  return true;
}

bool WritePlainIni(QIODevice& device, const QSettings::SettingsMap& map) {
  QMap<QString, QByteArray> sections;
  for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
    const qsizetype slash = entry.key().indexOf('/');
    const QString section = slash < 0 ? QString() : entry.key().left(slash);
    QByteArray value = entry.value().toString().toLatin1();
    value.replace('\n', ' ').replace('\r', ' ');
    if (NeedsQuotes(value)) value = '"' + value + '"';
    sections[section] += entry.key().mid(slash + 1).toLatin1() + '=' + value + '\n';
  }
  QByteArray content;
  for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
    if (!content.isEmpty()) content += '\n';
    if (!section.key().isEmpty()) content += '[' + section.key().toLatin1() + "]\n";
    content += section.value();
  }
  return device.write(content) == content.size();
}

QSettings::Format PlainIniFormat() {
  static const QSettings::Format format = QSettings::registerFormat("ini", ReadPlainIni, WritePlainIni);
  return format;
}

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
    settings_ = std::make_unique<QSettings>(QFile::decodeName(filePath_.c_str()), PlainIniFormat());
  return *settings_;
}

void IniSettingsBackend::OpenProgramKey() {
  // The program's folder stands for its key. A folder that cannot be made only means nothing is
  // stored yet: reading goes on with every value missing.
  QDir().mkpath(QFile::decodeName(directory_.c_str()));
  Settings();
}

std::optional<std::string> IniSettingsBackend::Read(const std::string& name) {
  // Every value of this file is text; a missing or unparsable line is simply a missing value.
  const QVariant value = Settings().value(Key(name));
  if (!value.isValid()) return std::nullopt;
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
  settings_ = std::make_unique<QSettings>(path, PlainIniFormat());
  if (settings_->status() != QSettings::NoError) {
    settings_.reset();
    if (!QFile::remove(path) || !file.open(QIODevice::WriteOnly))
      throw std::runtime_error("Failed to create key " + filePath_);
    file.close();
    settings_ = std::make_unique<QSettings>(path, PlainIniFormat());
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
