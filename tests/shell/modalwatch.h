#pragma once
#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

// Acts on the next modal dialog as soon as it shows (a modal exec() blocks the test's own code).
// `seen` is set true when one was found. The watch ends when it has acted, after five seconds,
// or when it goes out of scope, so it never touches a later test's dialogs.
class ModalWatch
{
public:
    explicit ModalWatch(std::function<void(QWidget *)> action, std::shared_ptr<bool> seen = {})
    {
        const QDeadlineTimer deadline(5000);
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this, action, deadline, seen] {
            QWidget *modal = QApplication::activeModalWidget();
            if (modal && modal->isVisible()) {
                m_timer.stop();
                if (seen)
                    *seen = true;
                action(modal);
            } else if (deadline.hasExpired()) {
                m_timer.stop();
            }
        });
        m_timer.start();
    }

private:
    QTimer m_timer;
};
