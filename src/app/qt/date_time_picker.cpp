#include "app/qt/date_time_picker.h"

#include <QLocale>

#include "app/date_time_parts.h"

namespace orvimo {

namespace {

constexpr double kMillisecondsPerDay = 86400000.0;
const QDate kZeroDate(1899, 12, 30);

QDateTime ToQDateTime(TDateTime value) {
  int year, month, day, hour, minute, second, msec;
  DecodeDateTime(value, year, month, day, hour, minute, second, msec);
  return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec));
}

}  // namespace

TDateTimePicker::TDateTimePicker(Kind kind, QWidget* parent) : QDateTimeEdit(parent), kind_(kind) {
  setDateTimeRange(QDateTime(QDate(100, 1, 1), QTime(0, 0)),
                   QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59)));
  if (kind_ == Kind::Date) {
    setDisplayFormat(QLocale::system().dateFormat(QLocale::ShortFormat));
    setCalendarPopup(true);
  } else {
    setDisplayFormat(QStringLiteral("HH:mm:ss"));
  }
  connect(this, &QDateTimeEdit::dateTimeChanged, this, &TDateTimePicker::TakeEdit);
  ShowValue();
}

void TDateTimePicker::SetValue(TDateTime value) {
  value_ = value;
  ShowValue();
}

void TDateTimePicker::SetDate(TDateTime value) { SetValue(WithTimeOf(value, value_)); }

void TDateTimePicker::SetTime(TDateTime value) { SetValue(WithTimeOf(value_, value)); }

void TDateTimePicker::ShowValue() {
  showing_ = true;
  setDateTime(ToQDateTime(value_));
  showing_ = false;
}

void TDateTimePicker::TakeEdit(const QDateTime& edited) {
  if (showing_) return;
  // Only the part the picker shows is taken from the edit; the other part keeps its exact value.
  if (kind_ == Kind::Date) {
    const double days = static_cast<double>(kZeroDate.daysTo(edited.date()));
    value_ = CombineDateAndTime(days, TimePartOf(value_));
  } else {
    const double time = edited.time().msecsSinceStartOfDay() / kMillisecondsPerDay;
    value_ = CombineDateAndTime(DatePartOf(value_), time);
  }
  emit userChanged();
}

}  // namespace orvimo
