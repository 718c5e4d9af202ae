#pragma once
// The colour controls ("Use Color Tags" and a red, green and blue slider per
// set), the previews of both sets' current subtitles in their colours, and the
// merged-frame preview. The widgets are the window's form's; the panel keeps
// the colours and decides what the previews show.

#include "core/processing.h"

#include <QObject>
#include <QString>

class QCheckBox;
class QLabel;
class QSlider;
class Session;
struct Subtitle;

class PreviewPanel : public QObject
{
    Q_OBJECT
public:
    struct Widgets
    {
        QCheckBox *colorTags;
        QSlider *upperSliders[3]; // red, green, blue
        QSlider *lowerSliders[3];
        QLabel *upperText;
        QLabel *lowerText;
        QLabel *mergedFrame;
    };

    PreviewPanel(const Widgets &widgets, const Session &session, QObject *parent = nullptr);

    int upperColor() const { return m_colors[0]; }
    int lowerColor() const { return m_colors[1]; }
    // Only 24 bits are a colour; more would give colour tags with too many digits.
    void setColors(int upper, int lower);
    // The subtitle a set's preview shows, none for an empty preview.
    void showSubtitle(bool upperSet, const Subtitle *subtitle);
    // The merged frame shown is the one at `ms`, for a file with `suffix`.
    void setFrameTime(int ms) { m_frameTime = ms; }
    void setOutputSuffix(const QString &suffix) { m_outputSuffix = suffix; }
    // Redraws the merged frame with `options` (the window's processing controls).
    void showFrame(const ProcessingOptions &options);
    // The sets' previews take the colours and the size their text fits.
    void refreshColors();

signals:
    // A colour or "Use Color Tags" changed.
    void colorsChanged();

private:
    void setChannel(int side, int shift, int value);
    void syncSliders();

    Widgets m_widgets;
    const Session &m_session;
    int m_colors[2] = {ProcessingOptions().upperColor, ProcessingOptions().lowerColor};
    int m_frameTime = 0;
    QString m_outputSuffix;
};

// A subtitle's text as rich text: its tags (either style) as HTML, the rest
// escaped, real line breaks.
QString subtitleHtml(QString text, bool angleTags);
