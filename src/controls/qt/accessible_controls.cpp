#include "controls/qt/accessible_controls.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>

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
  // Nobody sets a level: none of the increase and decrease actions of a value.
  QStringList actionNames() const override { return {}; }
  QVariant currentValue() const override { return Box()->AccessibleValue(); }
  void setCurrentValue(const QVariant&) override {}
  QVariant maximumValue() const override { return 100; }
  QVariant minimumValue() const override { return 0; }
  QVariant minimumStepSize() const override { return 1; }

 private:
  TPaintBox32* Box() const { return static_cast<TPaintBox32*>(widget()); }
};

// A drop-down list that is read by its own name. Qt on Linux names a drop-down by its current text and
// leaves its purpose to a label's relation; a list without a label beside it would have no purpose
// at all. The name is the one given (the current text while none is), the value the current text,
// the list of items its one child.
class NamedComboBoxAccessible : public QAccessibleWidget {
 public:
  explicit NamedComboBoxAccessible(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return Box()->currentText();
    if (kind == QAccessible::Name && Box()->accessibleName().isEmpty()) return Box()->currentText();
    return QAccessibleWidget::text(kind);
  }
  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(Box()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == Box()->view() ? 0 : -1;
  }
  QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
  void doAction(const QString& name) override {
    if (name != showMenuAction() && name != pressAction()) return;
    if (Box()->view()->isVisible()) {
      Box()->hidePopup();
    } else {
      Box()->showPopup();
    }
  }

 private:
  QComboBox* Box() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* ControlsAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String("QComboBox")) {
    auto* box = static_cast<QComboBox*>(object);
    // A list that can be typed into keeps Qt's own reading, with its edit.
    if (box->isEditable()) return nullptr;
    return new NamedComboBoxAccessible(box);
  }
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
