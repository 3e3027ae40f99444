#pragma once

// Answers a modal dialog from inside its own event loop, as a person would:
// the test says what to do with the next modal window of a kind before the
// code under test opens it. A dialog that never shows fails the test; a
// dialog still open after the wait is closed, so no test hangs.

#include <QApplication>
#include <QWidget>

#include <functional>

namespace zev::test {

void AnswerNextModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> answer);

template <typename T> void AnswerModal(std::function<void(T&)> answer)
{
    AnswerNextModal(
        [](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
        [answer = std::move(answer)](QWidget* widget) { answer(*qobject_cast<T*>(widget)); });
}

} // namespace zev::test
