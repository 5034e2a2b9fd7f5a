// Clicks a check box or radio button where its indicator is drawn: in a
// layout the widget may be much wider than its box and caption, and a
// click on the empty rest does nothing, as it does for a person.
#pragma once
#include <QAbstractButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>

namespace testsupport {

inline void ClickIndicator(QAbstractButton* button) {
    QStyleOptionButton option;
    option.initFrom(button);
    const bool radio = qobject_cast<QRadioButton*>(button) != nullptr;
    const QRect r = button->style()->subElementRect(
        radio ? QStyle::SE_RadioButtonIndicator : QStyle::SE_CheckBoxIndicator, &option, button);
    QTest::mouseClick(button, Qt::LeftButton, {}, r.center());
}

// Clicks the box when it does not show `on` yet.
inline void SetChecked(QAbstractButton* button, bool on) {
    if (button->isChecked() != on) ClickIndicator(button);
}

} // namespace testsupport
