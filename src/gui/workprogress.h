#pragma once
// The progress of reading a video's track or writing its copy: a dialog with
// Cancel, shown (through the prompts) once the work has taken half a second;
// a track's packets are spread over the whole file, so even a short track
// may take a while to read.

#include "media/videofile.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

class WorkProgress
{
public:
    WorkProgress(QWidget *parent, const QString &label);
    ~WorkProgress();

    // What the media layer calls as the work goes on; false once Cancel was pressed.
    media::Progress callback();

private:
    QWidget *m_parent;
    QString m_label;
    QElapsedTimer m_time;
    qint64 m_lastShown = 0;
    std::unique_ptr<QProgressDialog> m_dialog;

    bool update(double done);
};
