#include "app/qt/ini_settings_backend.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <random>

#include "app/form_storage.h"
#include "settings_controls.h"
#include "settings_fakes.h"

namespace orvimo {
namespace {

class IniSettingsBackendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(temp.isValid());
    configHome = temp.path().toStdString() + "/config";
    setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
  }
  void TearDown() override { unsetenv("XDG_CONFIG_HOME"); }

  std::string Path() const { return configHome + "/Orvimo2/Orvimo2.ini"; }

  static QByteArray ReadFile(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static void WriteFile(const std::string& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
  }

  QTemporaryDir temp;
  std::string configHome;
};

TEST_F(IniSettingsBackendTest, FileLivesUnderTheConfigHomeNamedAfterTheExecutable) {
  EXPECT_EQ(IniSettingsBackend("Orvimo2").FilePath(), Path());

  unsetenv("XDG_CONFIG_HOME");
  const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
  setenv("HOME", temp.path().toUtf8().constData(), 1);
  const std::string fallback = IniSettingsBackend("rec").FilePath();
  setenv("HOME", home.c_str(), 1);
  EXPECT_EQ(fallback, temp.path().toStdString() + "/.config/rec/rec.ini");
}

TEST_F(IniSettingsBackendTest, OpeningTheProgramKeyCreatesItEmpty) {
  IniSettingsBackend backend("Orvimo2");

  backend.OpenProgramKey();

  EXPECT_TRUE(QDir(QString::fromStdString(configHome + "/Orvimo2")).exists());
  EXPECT_EQ(backend.Read("FormVersion"), std::nullopt);
}

TEST_F(IniSettingsBackendTest, ValuesSurviveARoundTripThroughTheFile) {
  const std::vector<std::pair<std::string, std::string>> values = {
      {"NormPos(1920x1080)", "100,100,385,380"},
      {"MinMaxPos", "-1,-1,-1,-1"},
      {"cbStop_Checked", "True"},
      {"dtStart_Date", "46362.9233564815"},
      {"spaces", "  padded  "},
      {"quotes", "say \"hi\"; # not a comment"},
      {"escapes", "back\\slash @Variant(x) \t tab"},
      {"at", "@ByteArray(abc)"},
      {"empty", ""},
      {"latin1", "caf\xe9"},
  };
  {
    IniSettingsBackend writer("Orvimo2");
    writer.OpenForWrite();
    for (const auto& [name, value] : values) writer.Write(name, value);
    writer.Close();
  }
  IniSettingsBackend reader("Orvimo2");
  reader.OpenProgramKey();
  for (const auto& [name, value] : values) EXPECT_EQ(reader.Read(name), value) << name;
}

TEST_F(IniSettingsBackendTest, SavedFileShowsEveryValueAsPlainText) {
  IniSettingsBackend backend("Orvimo2");
  testing::FakeWindowPlacement window;
  testing::StoredControls controls;
  controls["cbStop_Checked"].value = 1;
  TFormStorage storage(backend, window, controls.Properties());
  storage.Restore();

  storage.Save();

  // Names sorted and exactly as the store gives them; every value bare.
  EXPECT_EQ(ReadFile(Path()).toStdString(),
            "[TfrmMain]\n"
            "Flags=0\n"
            "FormVersion=0\n"
            "MinMaxPos=-1,-1,-1,-1\n"
            "MinMaxPos(1920x1080)=-1,-1,-1,-1\n"
            "NormPos=100,100,385,380\n"
            "NormPos(1920x1080)=100,100,385,380\n"
            "PixelsPerInch=96\n"
            "ShowCmd=1\n"
            "Visible=0\n"
            "cOutFormatB_ItemIndex=1\n"
            "cOutFormatC_ItemIndex=1\n"
            "cOutHz_Value=44100\n"
            "cOutType_ItemIndex=0\n"
            "cStopAt_ItemIndex=1\n"
            "cWhenFinished_ItemIndex=0\n"
            "cbStop_Checked=True\n"
            "dtStart_Date=46362.9233564815\n"
            "dtStop_Date=46362.5\n"
            "dtTStart_Time=0.25\n"
            "dtTStop_Time=46362.75\n"
            "rbStopAt_Checked=False\n"
            "rbStopTime_Checked=True\n"
            "seStopAt_Value=5\n");
}

TEST_F(IniSettingsBackendTest, HandWrittenValuesReadAsTheirText) {
  WriteFile(Path(),
            "; written by hand\r\n"
            "[TfrmMain]\r\n"
            "Flags=1, 2\n"
            "  NormPos = 10,20,430,400  \n"
            "NormPos(800x600)=\"5,6,7,8\"\n"
            "ShowCmd=@ByteArray(abc)\n"
            "MinMaxPos=\n"
            "no equals sign here\n"
            "=orphan value\n"
            "Visible=\"\"quoted\"\"\n");
  IniSettingsBackend backend("Orvimo2");
  backend.OpenProgramKey();

  const std::vector<std::pair<std::string, std::optional<std::string>>> expected = {
      {"Flags", "1, 2"},
      {"NormPos", "10,20,430,400"},
      {"NormPos(800x600)", "5,6,7,8"},
      {"ShowCmd", "@ByteArray(abc)"},
      {"MinMaxPos", ""},
      {"Visible", "\"quoted\""},
      {"no equals sign here", std::nullopt},
  };
  for (const auto& [name, value] : expected) EXPECT_EQ(backend.Read(name), value) << name;
}

TEST_F(IniSettingsBackendTest, DamagedFilesReadAsMissingAndAreRewrittenWhole) {
  {
    IniSettingsBackend writer("Orvimo2");
    writer.OpenForWrite();
    writer.Write("NormPos(1920x1080)", "100,100,385,380");
    writer.Write("dtStart_Date", "46362.9233564815");
    writer.Close();
  }
  const QByteArray good = ReadFile(Path());
  std::mt19937 random(20261206);
  QByteArray binary;
  for (int i = 0; i < 4096; ++i) binary.append(static_cast<char>(random()));
  std::vector<QByteArray> damaged = {binary, good + binary, "[TfrmMain]\n\xff\xfe\0\0=\n\"\\", "[TfrmMa"};
  for (qsizetype length = 0; length < good.size(); ++length) damaged.push_back(good.left(length));

  for (const QByteArray& content : damaged) {
    WriteFile(Path(), content);
    IniSettingsBackend backend("Orvimo2");
    backend.OpenProgramKey();
    for (const std::string name : {"NormPos(1920x1080)", "dtStart_Date", "Flags"}) {
      std::optional<std::string> value;
      try {
        value = backend.Read(name);
      } catch (const std::runtime_error&) {
        continue;  // a value that parsed into a list
      }
      // What survives is at most a cut-off version of what was written.
      if (value && !content.startsWith(good.left(10))) ADD_FAILURE() << name << " read from garbage";
    }
  }

  // Saving over a binary file leaves only what was written.
  WriteFile(Path(), binary);
  IniSettingsBackend backend("Orvimo2");
  backend.OpenProgramKey();
  backend.OpenForWrite();
  backend.Write("Visible", "0");
  backend.Close();
  EXPECT_EQ(ReadFile(Path()).toStdString(), "[TfrmMain]\nVisible=0\n");
}

TEST_F(IniSettingsBackendTest, UnwritableLocationFailsWithTheKeyMessage) {
  // Root ignores file modes, but nobody can make a folder inside a regular file.
  WriteFile(configHome, "not a folder");
  IniSettingsBackend backend("Orvimo2");

  backend.OpenProgramKey();
  EXPECT_EQ(backend.Read("Flags"), std::nullopt);
  try {
    backend.OpenForWrite();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(error.what(), "Failed to create key " + Path());
  }
}

TEST_F(IniSettingsBackendTest, AFailedFlushNamesTheFirstUnwrittenValue) {
  IniSettingsBackend backend("Orvimo2");
  backend.OpenForWrite();
  // The folder disappears under the program after it was opened.
  ASSERT_TRUE(QDir(QString::fromStdString(configHome)).removeRecursively());
  WriteFile(configHome, "not a folder");
  backend.Write("FormVersion", "0");
  backend.Write("Flags", "0");

  try {
    backend.Close();
    FAIL() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_STREQ(error.what(), "Failed to set data for 'FormVersion'");
  }
}

}  // namespace
}  // namespace orvimo
