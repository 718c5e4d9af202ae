#include "timing/timingdlg.h"

#include "app/actionlog.h"
#include "app/prompts.h"
#include "subtitles/subtitleset.h"

#include "ui_timingdlg.h"

TimingDlg::TimingDlg(QWidget *parent)
    : QDialog(parent)
    , ui(new Ui::TimingDlg)
{
    ui->setupUi(this);
}

TimingDlg::~TimingDlg()
{
    delete ui;
}

void TimingDlg::on_buttonBox_accepted()
{
    // Truncated, not rounded: 1.001 s is 1000.9999999999999 ms in double precision
    // and gives 1000. The boxes stop at 60 s, so the products fit an int.
    shiftMs = int(ui->doubleSpinBox_shft->value() * 1000.0);
    stretchMs = int(ui->doubleSpinBox_strc->value() * 1000.0);
    selectedAndFollowing = ui->checkBox_sel->isChecked();

    // The rates come from the entry as shown: "23.976 => 25.000" reads as
    // "23976 => 25000"; an entry without two rates ("- None -") converts nothing.
    QString text = ui->comboBox_frmrte->currentText();
    text.remove(QLatin1Char('.'));
    bool fromOk = false;
    bool toOk = false;
    const int from = text.mid(0, 5).toInt(&fromOk, 10);
    const int to = text.mid(9, 5).toInt(&toOk, 10);
    if (fromOk && toOk && from > 0 && to > 0) {
        fromRate = from;
        toRate = to;
    } else {
        fromRate = 1;
        toRate = 1;
    }
    accept();
}

void SubtitleSet::scaleTimes(int num, int den)
{
    // den 0 could only come from a malformed conversion entry; it converts nothing.
    if (num == den || count == 0 || den == 0)
        return;
    for (int i = 0; i < count; ++i) {
        Subtitle &s = records[size_t(i)];
        // 64-bit division truncates toward zero, also for times a shift made negative.
        s.start = clampToInt32(qint64(s.start) * num / den);
        s.end = clampToInt32(qint64(s.end) * num / den);
    }
}

namespace {

// The anchor stays, the last subtitle's start moves by ms, the ones between
// follow in proportion. Starts may lie up to 2^32 ms apart; a span that does
// not fit an int is clamped.
void stretchFrom(SubtitleSet &set, int anchor, int ms)
{
    const int last = set.count - 1;
    const qint64 span = qint64(set.startOf(last)) - set.startOf(anchor);
    set.stretchRange(anchor, last, clampToInt32(span), clampToInt32(span + ms));
}

} // namespace

void FrameRate(SubtitleSet &set)
{
    TimingDlg dialog(dialogParent());
    ActionLog &log = actionLog();
    log.setScope(set.logPrefix, QStringLiteral("FrameRate"));
    if (prompts().run(dialog) != QDialog::Accepted || set.count == 0)
        return;

    const int last = set.count - 1;
    if (dialog.shiftMs != 0) {
        if (dialog.selectedAndFollowing) {
            set.shiftFrom(set.current, dialog.shiftMs);
            log.log(2, QStringLiteral("%1 ms shifted from #%2").arg(dialog.shiftMs).arg(set.current));
        } else {
            set.shiftFrom(0, dialog.shiftMs);
            log.log(2, QStringLiteral("%1 ms shifted").arg(dialog.shiftMs));
        }
    }

    if (dialog.stretchMs != 0) {
        if (!dialog.selectedAndFollowing) {
            stretchFrom(set, 0, dialog.stretchMs);
            log.log(2, QStringLiteral("%1 ms stretched").arg(dialog.stretchMs));
        } else if (set.current < last) {
            stretchFrom(set, set.current, dialog.stretchMs);
            log.log(2, QStringLiteral("%1 ms stretched from #%2").arg(dialog.stretchMs).arg(set.current));
        } else {
            log.log(0, QStringLiteral("cannot stretch single line"));
        }
    }

    if (dialog.fromRate != dialog.toRate) {
        set.scaleTimes(dialog.fromRate, dialog.toRate);
        log.log(2, QStringLiteral("converted %1 => %2").arg(dialog.fromRate).arg(dialog.toRate));
    }

    set.select(set.current);
}
