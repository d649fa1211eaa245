#include "window/usage_chart.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QPainter>
#include <QDoubleSpinBox>
#include <QPushButton>
#include <QScatterSeries>
#include <QScrollArea>
#include <QSpinBox>
#include <QToolTip>
#include <QCursor>
#include <QSet>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <numeric>

#include "export/atomic_file.h"
#include "window/chart_image.h"
#include "window/metagame_chart.h"
#include "window/save_flow.h"
#include "window/user_prompts.h"

namespace sormel {
namespace {

// The measure of a card, in the unit the axis shows.
double measureOf(const CardFigures& card, ChartMeasure measure) {
    switch (measure) {
        case ChartMeasure::Adoption: return static_cast<double>(card.adoption) / 100.0;
        case ChartMeasure::AverageCopies: return card.avgCopies ? static_cast<double>(*card.avgCopies) / 100.0 : 0.0;
        case ChartMeasure::Copies: return card.copies;
    }
    return 0;
}

QString axisTitle(ChartMeasure measure) {
    switch (measure) {
        case ChartMeasure::Adoption: return QStringLiteral("採用率(%)");
        case ChartMeasure::AverageCopies: return QStringLiteral("平均採用枚数");
        case ChartMeasure::Copies: return QStringLiteral("枚数");
    }
    return {};
}

// A category per bar: the name, or the number for a card without one; a
// name two cards share gets the number too, as the axis needs one label
// per bar.
QStringList barLabels(const std::vector<const CardFigures*>& cards) {
    QStringList labels;
    QSet<QString> seen;
    for (const CardFigures* card : cards) {
        QString label = QString::fromStdString(card->name.empty() ? card->number : card->name);
        if (seen.contains(label)) label += QStringLiteral(" (") + QString::fromStdString(card->number) + QLatin1Char(')');
        while (seen.contains(label)) label += QLatin1Char(' ');
        seen.insert(label);
        labels << label;
    }
    return labels;
}

// A long name keeps its start and end, so that the axis never cuts it at the edge.
QString elidedInMiddle(const QString& text) {
    constexpr qsizetype kLongest = 22;
    if (text.size() <= kLongest) return text;
    return text.left(kLongest / 2 - 1) + QStringLiteral("…") + text.right(kLongest / 2);
}

double longestBefore(const std::vector<const CardFigures*>& cards) {
    double longest = 0;
    for (const CardFigures* card : cards) {
        if (card->change) longest = std::max(longest, static_cast<double>(card->change->adoptionBefore) / 100.0);
    }
    return longest;
}

QString valueText(double value, ChartMeasure measure) {
    switch (measure) {
        case ChartMeasure::Adoption: return QString::number(value, 'f', 2) + QLatin1Char('%');
        case ChartMeasure::AverageCopies: return QString::number(value, 'f', 2);
        case ChartMeasure::Copies: return QString::number(value, 'f', 0);
    }
    return {};
}

}  // namespace

void applyFont(QChart* chart, const QFont& font) {
    chart->setFont(font);
    chart->setTitleFont(font);
    chart->legend()->setFont(font);
    for (QAbstractAxis* axis : chart->axes()) {
        axis->setLabelsFont(font);
        axis->setTitleFont(font);
    }
}

QChart* emptyChart(const QFont& font) {
    auto* chart = new QChart;
    chart->setTitle(QStringLiteral("データがありません"));
    applyFont(chart, font);
    return chart;
}

std::int64_t defaultChartMinDecks(std::int64_t deckCount) { return std::max<std::int64_t>(2, (deckCount * 5 + 99) / 100); }

QString measureName(ChartMeasure measure) {
    switch (measure) {
        case ChartMeasure::Adoption: return QStringLiteral("採用率");
        case ChartMeasure::AverageCopies: return QStringLiteral("平均採用枚数");
        case ChartMeasure::Copies: return QStringLiteral("枚数");
    }
    return {};
}

QChart* makeCardChart(const CardReport& report, ChartMeasure measure, int top, const QFont& font, std::int64_t minDecks) {
    std::vector<const CardFigures*> cards;
    // Averages and copies of a card few decks play say little: those charts leave it out.
    const bool fewDecksLeftOut = measure != ChartMeasure::Adoption;
    for (const CardFigures& card : report.cards) {
        if (card.change && card.change->status == CardStatus::Dropped) continue;
        if (fewDecksLeftOut && card.decks < minDecks) continue;
        cards.push_back(&card);
    }
    std::stable_sort(cards.begin(), cards.end(), [&](const CardFigures* a, const CardFigures* b) {
        return measureOf(*a, measure) > measureOf(*b, measure);
    });
    if (cards.size() > static_cast<std::size_t>(std::max(top, 0))) cards.resize(static_cast<std::size_t>(top));
    if (cards.empty()) return emptyChart(font);
    // The axis lists its categories from the bottom up.
    std::reverse(cards.begin(), cards.end());

    const int limit = report.copyLimit;
    std::vector<QBarSet*> sets;
    for (int copies = 1; copies <= limit + 1; ++copies) {
        sets.push_back(new QBarSet(copies <= limit ? QStringLiteral("%1枚").arg(copies)
                                                   : QStringLiteral("%1枚以上").arg(limit + 1)));
    }
    double longest = 0;
    for (const CardFigures* card : cards) {
        // Weights per bucket: decks for adoption, copies otherwise; the
        // copies in the "more" bucket are what the others leave.
        std::vector<double> weights(static_cast<std::size_t>(limit) + 1, 0.0);
        double counted = 0;
        for (int k = 0; k <= limit && static_cast<std::size_t>(k) < card->split.size(); ++k) {
            const auto decks = static_cast<double>(card->split[static_cast<std::size_t>(k)]);
            weights[static_cast<std::size_t>(k)] = measure == ChartMeasure::Adoption || k == limit ? decks : decks * (k + 1);
            if (k < limit) counted += decks * (k + 1);
        }
        if (measure != ChartMeasure::Adoption) weights[static_cast<std::size_t>(limit)] = std::max(0.0, card->copies - counted);
        const double total = std::accumulate(weights.begin(), weights.end(), 0.0);
        const double value = measureOf(*card, measure);
        longest = std::max(longest, value);
        for (std::size_t k = 0; k < sets.size(); ++k) *sets[k] << (total > 0 ? value * weights[k] / total : 0.0);
    }
    auto* series = new QHorizontalStackedBarSeries;
    for (QBarSet* set : sets) series->append(set);
    auto* chart = new QChart;
    chart->addSeries(series);
    // Each bar is named, with its value beside the name; the whole name
    // shows when the pointer rests on the bar.
    const QStringList full = barLabels(cards);
    QStringList labels;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        labels << elidedInMiddle(full[static_cast<qsizetype>(i)]) + QStringLiteral("  ") +
                      valueText(measureOf(*cards[i], measure), measure);
    }
    series->setProperty(kFullNamesProperty, full);
    auto* names = new QBarCategoryAxis;
    names->append(labels);
    // The names are what the chart is read by: the plot narrows for them.
    names->setTruncateLabels(false);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis;
    values->setRange(0, longest > 0 ? longest : 1);
    values->applyNiceNumbers();
    values->setTitleText(axisTitle(measure));
    values->setLabelFormat(measure == ChartMeasure::Copies ? QStringLiteral("%.0f") : QStringLiteral("%.1f"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    // With a baseline, a mark on each bar at the card's earlier adoption.
    if (measure == ChartMeasure::Adoption) {
        auto* before = new QScatterSeries;
        before->setName(QStringLiteral("前回"));
        before->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
        before->setMarkerSize(7);
        before->setColor(QColor(40, 40, 40));
        before->setBorderColor(QColor(255, 255, 255));
        for (std::size_t i = 0; i < cards.size(); ++i) {
            const auto& change = cards[i]->change;
            if (change && change->status != CardStatus::New) {
                before->append(static_cast<double>(change->adoptionBefore) / 100.0, static_cast<double>(i));
            }
        }
        if (before->count() == 0) {
            delete before;
        } else {
            chart->addSeries(before);
            before->attachAxis(values);
            // The bars' rows, as numbers: row i is the i-th category from the bottom.
            auto* rows = new QValueAxis;
            rows->setRange(-0.5, static_cast<double>(cards.size()) - 0.5);
            rows->setVisible(false);
            chart->addAxis(rows, Qt::AlignRight);
            before->attachAxis(rows);
            values->setMax(std::max(values->max(), longestBefore(cards)));
        }
    }
    chart->legend()->setAlignment(Qt::AlignBottom);
    applyFont(chart, font);
    return chart;
}

QChart* makeTypeShareChart(const std::vector<TypeReport>& types, const QFont& font, std::int64_t otherBelow) {
    if (types.empty()) return emptyChart(font);
    // The small types share one bar, その他, at the bottom.
    std::vector<std::pair<QString, std::int64_t>> bars;
    std::int64_t other = 0;
    int grouped = 0;
    for (const TypeReport& type : types) {
        if (type.share < otherBelow) {
            other += type.share;
            ++grouped;
        } else {
            bars.emplace_back(QString::fromStdString(type.name), type.share);
        }
    }
    if (grouped == 1) {
        // One small type is shown as itself: a group of one says nothing more.
        for (const TypeReport& type : types) {
            if (type.share < otherBelow) bars.emplace_back(QString::fromStdString(type.name), type.share);
        }
    } else if (grouped > 1) {
        bars.emplace_back(QStringLiteral("その他（%1 タイプ）").arg(grouped), other);
    }
    auto* set = new QBarSet(QStringLiteral("比率(%)"));
    QStringList labels;
    for (auto bar = bars.rbegin(); bar != bars.rend(); ++bar) {
        *set << static_cast<double>(bar->second) / 100.0;
        labels << elidedInMiddle(bar->first);
    }
    auto* series = new QHorizontalBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value%"));
    auto* chart = new QChart;
    chart->addSeries(series);
    auto* names = new QBarCategoryAxis;
    names->append(labels);
    names->setTruncateLabels(false);
    chart->addAxis(names, Qt::AlignLeft);
    series->attachAxis(names);
    auto* values = new QValueAxis;
    values->setRange(0, 100);
    values->setTitleText(QStringLiteral("デッキタイプの比率(%)"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->hide();
    applyFont(chart, font);
    return chart;
}

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
