#include "controls/qt/accessible_controls.h"

#include <QAccessibleWidget>

#include "controls/qt/paint_box32.h"
#include "controls/qt/tambor_button.h"

namespace orvimo {

namespace {

// A push button whose default action is the press (a left click) and whose second action is the one
// the owner names (a right click's).
class TamborButtonAccessible : public QAccessibleWidget {
 public:
  explicit TamborButtonAccessible(TTamborButton* button) : QAccessibleWidget(button, QAccessible::Button) {}

  QStringList actionNames() const override {
    QStringList names{pressAction()};
    if (!Button()->SecondActionName().isEmpty()) names << Button()->SecondActionName();
    return names << QAccessibleWidget::actionNames();
  }

  void doAction(const QString& name) override {
    if (!Button()->isEnabled()) return;
    if (name == pressAction()) {
      Button()->Press();
    } else if (!name.isEmpty() && name == Button()->SecondActionName()) {
      Button()->DoSecondAction();
    } else {
      QAccessibleWidget::doAction(name);
    }
  }

 private:
  TTamborButton* Button() const { return static_cast<TTamborButton*>(widget()); }
};

// An indicator of a level from 0 to 100, read only.
class LevelAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit LevelAccessible(TPaintBox32* box) : QAccessibleWidget(box, QAccessible::ProgressBar) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return QString::number(Box()->AccessibleValue()) + QStringLiteral(" %");
    return QAccessibleWidget::text(kind);
  }
  QVariant currentValue() const override { return Box()->AccessibleValue(); }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  TPaintBox32* Box() const { return static_cast<TPaintBox32*>(widget()); }
};

QAccessibleInterface* ControlsAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(TTamborButton::staticMetaObject.className())) {
    return new TamborButtonAccessible(static_cast<TTamborButton*>(object));
  }
  if (className == QLatin1String(TPaintBox32::staticMetaObject.className())) {
    return new LevelAccessible(static_cast<TPaintBox32*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallControlsAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&ControlsAccessibleFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace orvimo
