#pragma once
// The window's settings: one table of keys with the names they are stored
// under and their defaults, and the migrations of what earlier versions
// stored. Values are read once, when the settings are opened, and written
// only by store(), so the store stays as it was until the window goes.

#include "core/processing.h"

#include <QVariant>

#include <array>

class QSettings;
class QWidget;

class Settings
{
public:
    enum class Key {
        LoadDir,
        SaveDir,
        ChosenCodings, // the codings added to the selectors through "More…"
        UpperCoding, // a selector's index among the fixed and chosen entries
        LowerCoding,
        SaveCoding,
        CodingsCountFromAutoDetect, // marks the three indexes above as counted from "Auto Detect"
        SaveFrameRate, // an index into the frame-rate prompt's entries
        LoadFrameRate,
        CharsPerSecond,
        MinimumGap,
        Snap,
        BottomLines,
        JoinLines,
        LastLineStyle,
        UpperPosition,
        UpperColor,
        LowerColor,
        ColorTags,
        CreditLine,
        RecentUpper, // the recent pairs, newest first: four lists of one length
        RecentLower,
        RecentUpperCoding, // codec names; missing in stores of earlier versions
        RecentLowerCoding,
        RecentUpperTrack, // the video tracks read, -1 for subtitle files; missing in earlier stores
        RecentLowerTrack,
        OutputSuffix, // the format Process & Save wrote last
        TrackFormat, // "ass" or "srt": the merged track in a copy of a video, as Process & Save last wrote one
        StripKinds, // the brackets "Strip ()" was last told to strip
        WindowGeometry,
        WindowSplitter,
        Language, // the window's language code; empty: the system's
        Count
    };

    // Reads `store` (may be null: the defaults hold and nothing is written).
    explicit Settings(QSettings *store);

    QVariant value(Key key) const { return m_values.at(size_t(key)); }
    void setValue(Key key, const QVariant &value) { m_values.at(size_t(key)) = value; }
    // Writes every key, and drops the keys that earlier versions used instead.
    void store();

    // The controls of `form` that show a setting of their own: number boxes,
    // check boxes and drop-downs (by index) whose "setting" property names
    // the key. A value out of a box's range gets the box's own correction; an
    // index a drop-down does not have leaves it as it is.
    void showIn(const QWidget *form) const;
    void takeFrom(const QWidget *form);
    // The processing controls and colours as the core takes them.
    ProcessingOptions processingOptions() const;

    // The name a key is stored under ("proc/snap").
    static QString name(Key key);
    static QVariant defaultValue(Key key);

private:
    void migrate();

    QSettings *m_store;
    std::array<QVariant, size_t(Key::Count)> m_values;
};
