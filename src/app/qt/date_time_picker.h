#pragma once

#include <QDateTimeEdit>

#include "base/date_time.h"

namespace orvimo {

// A date picker or a time picker that holds a whole date-time value. The date kind shows and edits the
// date, the time kind the time of day; the other part is kept as it is. userChanged fires only for the
// user's edits, never for a value set by code.
class TDateTimePicker : public QDateTimeEdit {
  Q_OBJECT

 public:
  enum class Kind { Date, Time };

  TDateTimePicker(Kind kind, QWidget* parent = nullptr);

  TDateTime Value() const { return value_; }
  void SetValue(TDateTime value);
  // Takes only the date of the value and keeps this picker's time of day.
  void SetDate(TDateTime value);
  // Takes only the time of day of the value and keeps this picker's date.
  void SetTime(TDateTime value);

 signals:
  void userChanged();

 protected:
  // Tab leaves the picker, as it leaves every other control; the arrow keys move between its fields.
  bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }

 private:
  void ShowValue();
  void TakeEdit(const QDateTime& edited);

  Kind kind_;
  TDateTime value_ = 0;
  bool showing_ = false;
};

}  // namespace orvimo
