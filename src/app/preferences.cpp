#include "app/preferences.h"

#include "text/codecregistry.h"

#include <QSettings>

Preferences &preferences()
{
    static Preferences instance;
    return instance;
}

namespace {
QSettings *store = nullptr;
}

QSettings *settingsStore()
{
    return store;
}

void setSettingsStore(QSettings *s)
{
    store = s;
}

void Preferences::init()
{
    *this = Preferences();
    allCodecs = CodecRegistry::fixedCodingList();
}

int Preferences::cps() const
{
    return spinBox_cps ? spinBox_cps->value() : 25;
}

int Preferences::gap() const
{
    return spinBox_gap ? spinBox_gap->value() : 0;
}

int Preferences::snap() const
{
    return spinBox_snp ? spinBox_snp->value() : 500;
}

int Preferences::bottomLines() const
{
    return spinBox_lin ? spinBox_lin->value() : 2;
}

bool Preferences::joinLines() const
{
    return checkBox_join && checkBox_join->isChecked();
}

int Preferences::lastLineStyle() const
{
    return comboBox_last ? comboBox_last->currentIndex() : 0;
}

bool Preferences::colorTags() const
{
    return checkBox_coltag && checkBox_coltag->isChecked();
}

void Preferences::loadPreferences(QSettings *s)
{
    if (!s) {
        CodecRegistry::fillCodingSelectors(nullptr);
        return;
    }
    loadDir = s->value(QStringLiteral("workdir/load"), QStringLiteral(".")).toString();
    saveDir = s->value(QStringLiteral("workdir/save"), QStringLiteral(".")).toString();
    selectedCodecs = s->value(QStringLiteral("codecs"), QStringList()).toStringList();
    CodecRegistry::fillCodingSelectors(s);
    saveFrameRateIndex = s->value(QStringLiteral("select/fpssave"), 0).toInt();
    loadFrameRateIndex = s->value(QStringLiteral("select/fpsload"), 0).toInt();

    auto loadSpin = [s](QSpinBox *box, const char *key) {
        if (box)
            box->setValue(s->value(QLatin1String(key), box->value()).toInt());
    };
    loadSpin(spinBox_cps, "proc/charps");
    loadSpin(spinBox_gap, "proc/mingap");
    loadSpin(spinBox_snp, "proc/snap");
    loadSpin(spinBox_lin, "proc/botlin");
    if (checkBox_join)
        checkBox_join->setChecked(s->value(QStringLiteral("proc/joinline"), checkBox_join->isChecked()).toBool());
    if (comboBox_last) {
        // An index the list does not have would leave no style selected at all.
        const int style = s->value(QStringLiteral("proc/lastline"), comboBox_last->currentIndex()).toInt();
        if (style >= 0 && style < comboBox_last->count())
            comboBox_last->setCurrentIndex(style);
    }

    // Only 24 bits are a colour; more would give colour tags with too many digits.
    upperColor = s->value(QStringLiteral("color/upper"), 0xffffff).toInt() & 0xffffff;
    lowerColor = s->value(QStringLiteral("color/lower"), 0xffffff).toInt() & 0xffffff;
    if (checkBox_coltag)
        checkBox_coltag->setChecked(s->value(QStringLiteral("color/usetag"), checkBox_coltag->isChecked()).toBool());
    addHeader = s->value(QStringLiteral("ver11"), true).toBool();
}

void Preferences::savePreferences(QSettings *s)
{
    if (!s)
        return;
    s->setValue(QStringLiteral("workdir/load"), loadDir);
    s->setValue(QStringLiteral("workdir/save"), saveDir);
    s->setValue(QStringLiteral("codecs"), selectedCodecs);
    s->setValue(QStringLiteral("select/codldup"), comboBox_loadupr ? comboBox_loadupr->currentIndex() : 0);
    s->setValue(QStringLiteral("select/codldlw"), comboBox_loadlwr ? comboBox_loadlwr->currentIndex() : 0);
    s->setValue(QStringLiteral("select/codsave"), comboBox_save ? comboBox_save->currentIndex() : 0);
    s->setValue(QStringLiteral("select/fpssave"), saveFrameRateIndex);
    s->setValue(QStringLiteral("select/fpsload"), loadFrameRateIndex);
    s->setValue(QStringLiteral("proc/charps"), cps());
    s->setValue(QStringLiteral("proc/mingap"), gap());
    s->setValue(QStringLiteral("proc/snap"), snap());
    s->setValue(QStringLiteral("proc/botlin"), bottomLines());
    s->setValue(QStringLiteral("proc/joinline"), joinLines());
    s->setValue(QStringLiteral("proc/lastline"), lastLineStyle());
    s->setValue(QStringLiteral("color/upper"), upperColor);
    s->setValue(QStringLiteral("color/lower"), lowerColor);
    s->setValue(QStringLiteral("color/usetag"), colorTags());
    s->sync();
}
