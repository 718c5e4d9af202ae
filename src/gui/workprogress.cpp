#include "gui/workprogress.h"

#include "gui/prompts.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace {

constexpr int steps = 1000;
// The dialog is brought up to date this often, not at every packet.
constexpr qint64 updateMs = 50;

} // namespace

WorkProgress::WorkProgress(QWidget *parent, const QString &label)
    : m_parent(parent)
    , m_label(label)
{
    m_time.start();
}

WorkProgress::~WorkProgress() = default;

media::Progress WorkProgress::callback()
{
    return [this](double done) { return update(done); };
}

bool WorkProgress::update(double done)
{
    const qint64 now = m_time.elapsed();
    if (!m_dialog) {
        if (now < prompts().progressDelay())
            return true;
        m_dialog = std::make_unique<QProgressDialog>(m_label, QCoreApplication::translate("WorkProgress", "Cancel"), 0,
                                                     steps, m_parent);
        m_dialog->setWindowModality(Qt::WindowModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoReset(false);
        m_dialog->setAutoClose(false);
        prompts().showProgress(*m_dialog);
    } else if (now - m_lastShown < updateMs) {
        return !m_dialog->wasCanceled();
    }
    m_lastShown = now;
    if (!m_dialog->wasCanceled()) {
        m_dialog->setValue(qBound(0, int(done * steps), steps - 1));
        QCoreApplication::processEvents();
    }
    return !m_dialog->wasCanceled();
}
