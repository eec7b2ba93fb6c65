#include "ui/waitingdoor.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

class WaitingDialog : public QDialog
{
public:
    WaitingDialog(store::Wait &wait, QWidget *parent) : QDialog(parent), m_wait(wait)
    {
        setObjectName(QStringLiteral("WaitingDialog"));
        setWindowTitle(QStringLiteral("데이타베이스를 기다리는 중"));
        setWindowModality(Qt::ApplicationModal);
        setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        auto *layout = new QVBoxLayout(this);
        m_text = new QLabel(this);
        m_text->setObjectName(QStringLiteral("WaitingText"));
        layout->addWidget(m_text);
        auto *note =
            new QLabel(wait.cancellable() ? QStringLiteral("기다리지 않으려면 [취소](Esc)를 누르세요. 명령은 취소되고 "
                                                           "데이타베이스는 바뀌지 않습니다.")
                                          : QStringLiteral("저장을 마무리하고 있어 멈출 수 없습니다. 끝날 때까지 "
                                                           "기다리세요."),
                       this);
        note->setWordWrap(true);
        layout->addWidget(note);
        if (wait.cancellable()) {
            m_cancel = new QPushButton(QStringLiteral("취소"), this);
            m_cancel->setObjectName(QStringLiteral("WaitingCancel"));
            m_cancel->setAutoDefault(false);
            m_cancel->setDefault(false);
            m_cancel->setFocusPolicy(Qt::NoFocus); // Enter and Space never press it
            m_cancel->setCursor(Qt::ArrowCursor);
            auto *row = new QHBoxLayout;
            row->addStretch();
            row->addWidget(m_cancel);
            layout->addLayout(row);
            connect(m_cancel, &QPushButton::clicked, this, [this] { cancel(); });
        }
        m_clock.start();
        showSeconds();
        connect(&m_tick, &QTimer::timeout, this, [this] { showSeconds(); });
        m_tick.start(1000);
    }

    void reject() override
    {
        if (m_wait.cancellable())
            cancel();
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            return;
        QDialog::keyPressEvent(event);
    }

private:
    void showSeconds()
    {
        const qint64 seconds = 1 + m_clock.elapsed() / 1000;
        m_text->setText(m_cancelling ? QStringLiteral("명령을 취소하고 있습니다… (%1초)").arg(seconds)
                                     : QStringLiteral("데이타베이스의 답을 기다리고 있습니다… (%1초)").arg(seconds));
    }
    void cancel()
    {
        if (m_cancelling)
            return;
        m_cancelling = true;
        m_cancel->setEnabled(false);
        m_wait.cancel();
        showSeconds();
        // A server that does not answer the cancel either is given up on.
        QTimer::singleShot(3000, this, [this] { m_wait.cancel(); });
    }

    store::Wait &m_wait;
    QLabel *m_text = nullptr;
    QPushButton *m_cancel = nullptr;
    QElapsedTimer m_clock;
    QTimer m_tick;
    bool m_cancelling = false;
};

} // namespace

void WaitingWindow::wait(store::Wait &wait)
{
    QEventLoop loop;
    WaitingDialog dialog(wait, QApplication::activeWindow());
    wait.whenDone([&loop] { QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection); });
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
    loop.exec();
    dialog.hide();
}
