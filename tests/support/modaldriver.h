#pragma once

// Drives the modal windows a flow under test opens: whichever modal window
// comes up is handed, once, to the action registered under its objectName,
// and every name seen is recorded in order.

#include <QApplication>
#include <QHash>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace varo::testsupport {

class ModalDriver : public QObject {
public:
    QHash<QString, std::function<void(QWidget *)>> actions;
    QStringList seen;
    ModalDriver()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget *w = QApplication::activeModalWidget();
            if (!w || m_done.contains(w))
                return;
            m_done << w;
            seen << w->objectName();
            if (auto a = actions.value(w->objectName()))
                a(w);
        });
        m_timer.start(20);
    }

private:
    QTimer m_timer;
    QList<QPointer<QWidget>> m_done;
};

}  // namespace varo::testsupport
