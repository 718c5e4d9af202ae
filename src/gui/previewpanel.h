#pragma once
// The colour controls ("Use Color Tags", and per set a swatch that opens the
// colour dialog and a red, green and blue slider), the previews of both sets' current subtitles in their colours, and
// the merged-frame preview. The widgets are the window's form's; the panel keeps the colours and decides what the
// previews show.

#include "core/processing.h"

#include <QObject>
#include <QString>

#include <memory>

class LogSink;
class QCheckBox;
class QLabel;
class QSlider;
class QToolButton;
class Session;
class Settings;
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
        QToolButton *swatches[2]; // upper, lower: each opens the colour dialog
    };

    PreviewPanel(const Widgets &widgets, const Session &session, QObject *parent = nullptr);

    int upperColor() const { return m_colors[0]; }
    int lowerColor() const { return m_colors[1]; }
    // Only 24 bits are a colour; more would give colour tags with too many digits.
    void setColors(int upper, int lower);
    // The colours and the output format, as stored.
    void restore(const Settings &settings);
    void store(Settings &settings) const;
    // The subtitle a set's preview shows, none for an empty preview.
    void showSubtitle(bool upperSet, const Subtitle *subtitle);
    // The merged frame shown is the one in which the row of a set starts.
    void setFrameRow(bool upperSet, int row);
    // The frame as a file with this suffix shows it.
    void setOutputSuffix(const QString &suffix);
    // The sets' subtitles or times changed: the frame is processed again.
    void setsChanged();
    // Redraws the merged frame with `options` (the window's processing
    // controls), from the sets processed as Process & Save processes them.
    void showFrame(const ProcessingOptions &options);
    // The sets' previews take the colours and the size their text fits.
    void refreshColors();

signals:
    // A colour or "Use Color Tags" changed.
    void colorsChanged();

private:
    void setChannel(int side, int shift, int value);
    void chooseColor(int side);
    void syncSliders();
    const Session &processed(const ProcessingOptions &options);
    QString mergedFrameHtml(const Session &processed, int time) const;
    QString assFrameHtml(const Session &processed, int time, const ProcessingOptions &options) const;

    Widgets m_widgets;
    const Session &m_session;
    int m_colors[2] = {ProcessingOptions().upperColor, ProcessingOptions().lowerColor};
    bool m_frameInUpper = true;
    int m_frameRow = -1;
    QString m_outputSuffix;
    // A copy of the sets, processed for the options it was made with.
    std::unique_ptr<LogSink> m_discardedLog;
    std::unique_ptr<Session> m_processed;
    ProcessingOptions m_processedOptions;
};

// A subtitle's text as rich text: its tags (either style) as HTML, the rest
// escaped, real line breaks.
QString subtitleHtml(QString text, bool angleTags);
