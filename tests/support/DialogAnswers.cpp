#include "tests/support/DialogAnswers.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

namespace zev::test {

namespace {

constexpr int PollMilliseconds = 5;
constexpr int GiveUpAfterPolls = 2000;

} // namespace

void AnswerNextModal(std::function<bool(QWidget*)> matches, std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(PollMilliseconds);
    auto polls = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal != nullptr && modal->isVisible() && matches(modal)) {
            timer->stop();
            timer->deleteLater();
            answer(modal);
            return;
        }
        if (++*polls < GiveUpAfterPolls)
            return;
        timer->stop();
        timer->deleteLater();
        ADD_FAILURE() << "the expected dialog never showed";
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            dialog->reject();
    });
    timer->start();
}

} // namespace zev::test
