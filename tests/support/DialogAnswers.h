#pragma once

// The one way the window tests answer dialogs, as the operator does: a
// dialog the test holds is answered once its own event loop started
// (WhenShown); one the code under test opens is answered from inside its
// event loop (AnswerModal). A dialog that never shows fails the test; one
// still open after the answer is closed, so no test hangs.

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zev::test {

enum class TAnswer
{
    Ok,
    Enter,
    Cancela,
    Escape,
    CloseBox
};

template <typename Widget> Widget* Child(const QObject& parent, const char* name)
{
    auto* child = parent.findChild<Widget*>(QString::fromLatin1(name));
    if (child == nullptr)
        ADD_FAILURE() << "no component " << name;
    return child;
}

// The texts a list offers, in its order.
inline QStringList ItemTexts(const QComboBox* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i);
    return items;
}

inline QStringList ItemTexts(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// Keys go where the operator's keyboard goes: the focused component.
inline QWidget* KeyTarget(QDialog& dialog)
{
    return dialog.focusWidget() != nullptr ? dialog.focusWidget() : &dialog;
}

inline void Answer(QDialog& dialog, TAnswer answer)
{
    switch (answer) {
    case TAnswer::Ok:
        Child<QPushButton>(dialog, "BitBtn1")->click();
        break;
    case TAnswer::Enter:
        QTest::keyClick(KeyTarget(dialog), Qt::Key_Return);
        break;
    case TAnswer::Cancela:
        Child<QPushButton>(dialog, "BitBtn2")->click();
        break;
    case TAnswer::Escape:
        QTest::keyClick(KeyTarget(dialog), Qt::Key_Escape);
        break;
    case TAnswer::CloseBox:
        dialog.close();
        break;
    }
}

// `act` runs on the shown dialog, then `answer` closes it. A dialog that
// refuses the answer is a failure, closed so that the test goes on.
inline void WhenShown(QDialog& dialog, std::function<void()> act, TAnswer answer)
{
    QTimer::singleShot(0, &dialog, [&dialog, act = std::move(act), answer] {
        EXPECT_TRUE(dialog.isVisible());
        act();
        Answer(dialog, answer);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the dialog did not close";
            dialog.reject();
        }
    });
}

void AnswerNextModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> answer);

template <typename T> void AnswerModal(std::function<void(T&)> answer)
{
    AnswerNextModal(
        [](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
        [answer = std::move(answer)](QWidget* widget) { answer(*qobject_cast<T*>(widget)); });
}

} // namespace zev::test
