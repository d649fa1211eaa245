#include "window/card_charts.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QHorizontalStackedBarSeries>
#include <QScatterSeries>
#include <QSet>
#include <QValueAxis>
#include <algorithm>
#include <numeric>

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

// The bars' names on the left. They are what the chart is read by: the
// plot narrows for them rather than cutting them.
void addNameAxis(QChart& chart, QAbstractBarSeries& series, const QStringList& labels) {
    auto* names = new QBarCategoryAxis;
    names->append(labels);
    names->setTruncateLabels(false);
    chart.addAxis(names, Qt::AlignLeft);
    series.attachAxis(names);
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
    addNameAxis(*chart, *series, labels);
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
    addNameAxis(*chart, *series, labels);
    auto* values = new QValueAxis;
    values->setRange(0, 100);
    values->setTitleText(QStringLiteral("デッキタイプの比率(%)"));
    chart->addAxis(values, Qt::AlignBottom);
    series->attachAxis(values);
    chart->legend()->hide();
    applyFont(chart, font);
    return chart;
}

}  // namespace sormel
