#include "window/usage_chart.h"

#include <QAbstractBarSeries>
#include <QBarSet>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolTip>
#include <QCursor>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "export/atomic_file.h"
#include "window/chart_image.h"
#include "window/metagame_chart.h"
#include "window/save_flow.h"
#include "window/user_prompts.h"

namespace sormel {

UsageChart::UsageChart(UserPrompts& prompts, QWidget* parent)
    : QWidget(parent),
      prompts_(prompts),
      subject_(new QComboBox(this)),
      measure_(new QComboBox(this)),
      top_(new QComboBox(this)),
      minDecks_(new QSpinBox(this)),
      otherBelow_(new QDoubleSpinBox(this)),
      scroll_(new QScrollArea(this)),
      view_(new QChartView),
      save_(new QPushButton(QStringLiteral("画像として保存…"), this)),
      copy_(new QPushButton(QStringLiteral("画像をコピー"), this)) {
    subject_->setObjectName(QStringLiteral("chartSubject"));
    measure_->setObjectName(QStringLiteral("chartMeasure"));
    top_->setObjectName(QStringLiteral("chartTop"));
    minDecks_->setObjectName(QStringLiteral("chartMinDecks"));
    minDecks_->setRange(1, 1000000);
    minDecks_->setSuffix(QStringLiteral(" デッキ以上"));
    minDecks_->setToolTip(QStringLiteral("平均採用枚数と枚数のグラフは、これより少ないデッキにしかないカードを除きます"));
    otherBelow_->setObjectName(QStringLiteral("chartOtherBelow"));
    otherBelow_->setRange(0, 100);
    otherBelow_->setDecimals(2);
    otherBelow_->setValue(2);
    otherBelow_->setPrefix(QStringLiteral("その他: "));
    otherBelow_->setSuffix(QStringLiteral(" % 未満"));
    otherBelow_->setToolTip(QStringLiteral("比率がこれより小さいデッキタイプを「その他」にまとめます"));
    view_->setObjectName(QStringLiteral("chartView"));
    save_->setObjectName(QStringLiteral("chartSave"));
    copy_->setObjectName(QStringLiteral("chartCopy"));
    subject_->addItems({QStringLiteral("カード"), QStringLiteral("デッキタイプの比率"), QStringLiteral("勝率（メタゲーム）")});
    measure_->addItems({QStringLiteral("採用率"), QStringLiteral("平均採用枚数"), QStringLiteral("枚数")});
    for (const int top : {10, 20, 50}) top_->addItem(QStringLiteral("上位 %1").arg(top), top);
    view_->setRenderHint(QPainter::Antialiasing);

    auto* controls = new QHBoxLayout;
    controls->addWidget(subject_);
    controls->addWidget(measure_);
    controls->addWidget(top_);
    controls->addWidget(minDecks_);
    controls->addWidget(otherBelow_);
    controls->addStretch();
    controls->addWidget(save_);
    controls->addWidget(copy_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    // A chart of many bars grows downwards, every bar named; the page scrolls.
    scroll_->setWidget(view_);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    layout->addWidget(scroll_, 1);

    for (QComboBox* box : {subject_, measure_, top_}) {
        connect(box, &QComboBox::currentIndexChanged, this, &UsageChart::rebuild);
    }
    connect(minDecks_, &QSpinBox::valueChanged, this, &UsageChart::rebuild);
    connect(otherBelow_, &QDoubleSpinBox::valueChanged, this, &UsageChart::rebuild);
    connect(save_, &QPushButton::clicked, this, &UsageChart::saveImage);
    connect(copy_, &QPushButton::clicked, this, &UsageChart::copyImage);
    rebuild();
}

void UsageChart::setData(std::shared_ptr<const ReportData> report) {
    data_ = std::move(report);
    {
        const QSignalBlocker quiet(minDecks_);
        minDecks_->setValue(static_cast<int>(std::min<std::int64_t>(
            data_ ? defaultChartMinDecks(data_->report.deckCount) : 2, minDecks_->maximum())));
    }
    const bool types = data_ && !data_->types.empty();
    const bool results = data_ && data_->results.has_value();
    const int shown = subject_->currentIndex();
    if ((shown == 1 && !types) || (shown == 2 && !results)) subject_->setCurrentIndex(0);
    subject_->setEnabled(types || results);
    rebuild();
}

QChart* UsageChart::chart() const { return view_->chart(); }

void UsageChart::rebuild() {
    const bool cards = subject_->currentIndex() == 0;
    const auto measure = static_cast<ChartMeasure>(measure_->currentIndex());
    measure_->setEnabled(cards);
    top_->setEnabled(cards);
    // Each threshold shows only with the chart it shapes.
    minDecks_->setVisible(cards && measure != ChartMeasure::Adoption);
    otherBelow_->setVisible(!cards && subject_->currentIndex() == 1);
    QChart* chart = nullptr;
    int bars = 0;
    if (!data_) {
        chart = emptyChart(font());
    } else if (cards) {
        chart = makeCardChart(data_->report, measure, top_->currentData().toInt(), font(), minDecks_->value());
        if (auto* series = qobject_cast<QAbstractBarSeries*>(chart->series().value(0))) {
            const QStringList names = series->property(kFullNamesProperty).toStringList();
            bars = static_cast<int>(names.size());
            connect(series, &QAbstractBarSeries::hovered, this, [names](bool on, int index) {
                if (on && index >= 0 && index < names.size()) QToolTip::showText(QCursor::pos(), names[index]);
            });
            QString title = QStringLiteral("%1 上位 %2 枚").arg(measureName(measure)).arg(bars);
            if (measure != ChartMeasure::Adoption) title += QStringLiteral("（%1 デッキ以上）").arg(minDecks_->value());
            chart->setTitle(title + QStringLiteral("<br><small>") + caption().toHtmlEscaped() + QStringLiteral("</small>"));
        }
    } else if (subject_->currentIndex() == 2) {
        chart = makeMetagameChart(*data_, font());
    } else {
        chart = makeTypeShareChart(data_->types, font(), std::llround(otherBelow_->value() * 100));
    }
    if (data_ && !cards && chart->title().isEmpty()) chart->setTitle(QStringLiteral("<small>") + caption().toHtmlEscaped() + QStringLiteral("</small>"));
    // Room for every bar's label: about 22 pixels a bar beyond the titles.
    view_->setMinimumHeight(std::max(280, bars * 22 + 170));
    QChart* old = view_->chart();
    view_->setChart(chart);
    delete old;
    save_->setEnabled(data_ != nullptr);
    copy_->setEnabled(data_ != nullptr);
}

// What a saved picture needs to stand on its own: the folder, the decks,
// the date, the copy limit and the side setting.
QString UsageChart::caption() const {
    if (!data_) return {};
    const QString folder = QString::fromStdString(data_->folder);
    const QString last = folder.section(QLatin1Char('/'), -1, -1, QString::SectionSkipEmpty);
    return QStringLiteral("%1 ・ %2 デッキ ・ %3 ・ 上限 %4 枚 ・ %5")
        .arg(last.isEmpty() ? folder : last)
        .arg(data_->report.deckCount)
        .arg(QString::fromStdString(data_->date))
        .arg(data_->report.copyLimit)
        .arg(data_->report.sideCounted ? QStringLiteral("サイド含む") : QStringLiteral("サイド除く"));
}

QImage UsageChart::image() const { return chartViewImage(*view_); }

void UsageChart::saveImage() { saveChartViewImage(prompts_, this, *view_, QStringLiteral("グラフ.png")); }

void UsageChart::copyImage() { QApplication::clipboard()->setImage(image()); }

}  // namespace sormel
