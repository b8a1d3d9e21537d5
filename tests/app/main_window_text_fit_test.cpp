// Every text of the window shows whole at the screen's resolution with the default fonts: the test
// runs at 96 dpi and again at 144 and 192 (QT_FONT_DPI, QT_SCALE_FACTOR; see CMakeLists.txt).
#include <QAbstractSpinBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <QTest>

#include "main_window_fixture.h"

namespace orvimo::testing {
namespace {

struct Room {
  QWidget* widget;
  QString text;
  int textWidth;
  int room;
};

int Advance(const QWidget* widget, const QString& text) {
  return widget->fontMetrics().horizontalAdvance(text);
}

// A label's text within its contents.
Room LabelRoom(QLabel* label, const QString& text) {
  return {label, text, Advance(label, text), label->contentsRect().width()};
}

// The widest item of a drop-down list within its edit field, less the margin the style draws with.
std::vector<Room> ListRooms(QComboBox* box) {
  QStyleOptionComboBox option;
  option.initFrom(box);
  option.editable = false;
  const int field =
      box->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, box).width() -
      2;
  std::vector<Room> rooms;
  for (int i = 0; i < box->count(); ++i)
    rooms.push_back({box, box->itemText(i), Advance(box, box->itemText(i)), field});
  return rooms;
}

// A spin box's text within its line edit, less the edit's own margin of two pixels a side.
Room SpinRoom(QAbstractSpinBox* spin, const QString& text) {
  const auto* edit = spin->findChild<QLineEdit*>();
  return {spin, text, Advance(spin, text), edit->contentsRect().width() - 4};
}

// A check box's or radio button's caption beside its indicator.
Room ButtonRoom(QAbstractButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
  const QRect contents = button->style()->subElementRect(
      radio ? QStyle::SE_RadioButtonContents : QStyle::SE_CheckBoxContents, &option, button);
  return {button, button->text(), Advance(button, button->text()), contents.width()};
}

Room GroupTitleRoom(QGroupBox* box) {
  return {box, box->title(), Advance(box, box->title()), box->width() - 16};
}

TEST_F(MainWindowTest, EveryTextShowsWholeAtThisResolution) {
  Create();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  TfrmMain& w = *window;
  std::vector<Room> rooms{
      LabelRoom(w.Label1, w.Label1->text()),
      LabelRoom(w.Label12, w.Label12->text()),
      LabelRoom(w.Label3, w.Label3->text()),
      // The longest times the labels show: hours count on past a day.
      LabelRoom(w.lRecorded, QStringLiteral(" 119 : 04 : 37")),
      LabelRoom(w.lFree, QStringLiteral(" 999 : 59 : 59")),
      LabelRoom(w.lFree, QStringLiteral(" -- : -- : --")),
      SpinRoom(w.cOutHz, QStringLiteral("192000")),
      SpinRoom(w.seStopAt, QStringLiteral("999")),
      ButtonRoom(w.cbStart),
      ButtonRoom(w.cbStop),
      ButtonRoom(w.rbStopAt),
      GroupTitleRoom(w.GroupBox1),
      GroupTitleRoom(w.GroupBox2),
      GroupTitleRoom(w.GroupBox3),
  };
  // Five-digit hours (a terabyte at 8000 bytes a second) are set smaller and still show whole.
  freeSpace.bytes = int64_t{1} << 40;
  w.cOutFormatB->setCurrentIndex(0);
  w.cOutFormatC->setCurrentIndex(0);
  w.cOutHz->setValue(8000);
  rooms.push_back(LabelRoom(w.lFree, w.lFree->text()));
  for (const char* message : {"Orvimo 2.0", "Recording audio", "Recording stopped.", "PAUSED"})
    rooms.push_back(LabelRoom(w.lMessage, QString::fromLatin1(" ") + QString::fromLatin1(message)));
  // The widest date and time of their formats: a two-digit day and month, the afternoon.
  const QDateTime widest(QDate(2026, 12, 28), QTime(23, 58, 58));
  for (QDateTimeEdit* picker :
       {static_cast<QDateTimeEdit*>(w.dtStart), static_cast<QDateTimeEdit*>(w.dtTStart),
        static_cast<QDateTimeEdit*>(w.dtStop), static_cast<QDateTimeEdit*>(w.dtTStop)})
    rooms.push_back(SpinRoom(picker, QLocale().toString(widest, picker->displayFormat())));
  for (QComboBox* list : {w.cOutFormatB, w.cOutFormatC, w.cOutType, w.cStopAt, w.cWhenFinished}) {
    const std::vector<Room> items = ListRooms(list);
    rooms.insert(rooms.end(), items.begin(), items.end());
  }

  const QScreen* screen = w.screen();
  std::printf("%d dpi, device pixel ratio %.2f, font %s %.1f pt\n", w.logicalDpiY(),
              screen->devicePixelRatio(), qPrintable(w.font().family()), w.font().pointSizeF());
  for (const Room& room : rooms) {
    std::printf("  %-14s %-22s %4d of %4d\n", qPrintable(room.widget->objectName()), qPrintable(room.text),
                room.textWidth, room.room);
    EXPECT_LE(room.textWidth, room.room)
        << room.widget->objectName().toStdString() << ": \"" << room.text.toStdString() << "\"";
  }
}

}  // namespace
}  // namespace orvimo::testing
