#include "ui/anim/form_serie.h"

#include "core/base/errors.h"
#include "ui/anim/form_cree_anim.h"
#include "ui/shell/application.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QThreadPool>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace orv::ui {

namespace {

enum TColumn { kColName, kColTime, kColMedian, kColSpread, kColStars, kColMark, kColumns };

// The figures' colours, in the plot and over the table's headers.
const QColor kMedianColour(30, 90, 200);
const QColor kSpreadColour(0, 150, 60);
const QColor kStarsColour(200, 120, 0);

QString Number(double v) {
    return QString::number(v, 'g', 6);
}

} // namespace

TSeriesPlot::TSeriesPlot(QWidget* parent) : QWidget(parent) {
    setMinimumHeight(110);
    setToolTip(QStringLiteral("Bleu : médiane, vert : dispersion, orange : étoiles ; "
                              "chaque courbe rapportée à son maximum"));
}

void TSeriesPlot::SetRows(const std::vector<TSeriesRow>& rows) {
    rows_ = rows;
    update();
}

void TSeriesPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::gray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const size_t n = rows_.size();
    if (n == 0) return;
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(8, 8, -8, -8);
    const auto x = [&](size_t k) {
        return n == 1 ? area.center().x() : area.left() + area.width() * k / (n - 1);
    };
    const auto line = [&](double (*figure)(const TFrameFigures&), const QColor& colour) {
        double top = 0;
        for (const TSeriesRow& r : rows_)
            top = std::max(top, figure(r.Figures));
        if (!(top > 0)) return;
        QPainterPath path;
        for (size_t k = 0; k < n; ++k) {
            const QPointF at(x(k),
                             area.bottom() - area.height() * std::max(0.0, figure(rows_[k].Figures)) / top);
            if (k == 0)
                path.moveTo(at);
            else
                path.lineTo(at);
        }
        p.setPen(QPen(colour, 1.5));
        p.drawPath(path);
    };
    line([](const TFrameFigures& f) { return f.Median; }, kMedianColour);
    line([](const TFrameFigures& f) { return f.Spread; }, kSpreadColour);
    line([](const TFrameFigures& f) { return static_cast<double>(f.Stars); }, kStarsColour);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::red);
    for (size_t k = 0; k < n; ++k)
        if (rows_[k].Marks != 0) p.drawEllipse(QPointF(x(k), area.bottom() + 3), 3.5, 3.5);
}

TFormSerie::TFormSerie(TFormCreeAnim& builder, QWidget* parent)
    : QWidget(parent, Qt::Tool), builder_(builder) {
    setObjectName("FormSerie");
    setWindowTitle(QStringLiteral("Tableau de la série"));
    auto* layout = new QVBoxLayout(this);
    Table = new QTableWidget(0, kColumns, this);
    Table->setObjectName("Table");
    Table->setHorizontalHeaderLabels({QStringLiteral("Image"), QStringLiteral("Heure"),
                                      QStringLiteral("Médiane"), QStringLiteral("Dispersion"),
                                      QStringLiteral("Étoiles"), QStringLiteral("Marque")});
    Table->horizontalHeaderItem(kColMedian)->setForeground(kMedianColour);
    Table->horizontalHeaderItem(kColSpread)->setForeground(kSpreadColour);
    Table->horizontalHeaderItem(kColStars)->setForeground(kStarsColour);
    Table->horizontalHeaderItem(kColSpread)->setToolTip(QStringLiteral("1,4826 x l'écart absolu médian"));
    Table->horizontalHeaderItem(kColStars)->setToolTip(
        QStringLiteral("Maxima locaux au-dessus de la médiane plus 5 dispersions"));
    Table->horizontalHeaderItem(kColMark)->setToolTip(
        QStringLiteral("Une valeur à plus de %1 fois, ou moins de 1/%1, de la médiane de la série")
            .arg(kOutlierFactor));
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->verticalHeader()->hide();
    Table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(Table, 1);
    Plot = new TSeriesPlot(this);
    Plot->setObjectName("Plot");
    layout->addWidget(Plot);
    Progress = new QProgressBar(this);
    Progress->setObjectName("Progress");
    layout->addWidget(Progress);
    auto* row = new QHBoxLayout;
    LabelResume = new QLabel(this);
    LabelResume->setObjectName("LabelResume");
    row->addWidget(LabelResume, 1);
    BitRetirer = new QPushButton(QStringLiteral("Retirer les images marquées"), this);
    BitRetirer->setObjectName("BitRetirer");
    BitRetirer->setEnabled(false);
    connect(BitRetirer, &QPushButton::clicked, this, [this] { RunCommand([this] { BitRetirerClick(); }); });
    row->addWidget(BitRetirer);
    layout->addLayout(row);
    resize(620, 460);
    pool_ = new QThreadPool(this);
    pool_->setMaxThreadCount(1);
    // A frame list that changes under the table is measured again.
    connect(&builder_, &TFormCreeAnim::AnimationChanged, this, [this] {
        if (isVisible() && FrameKeys() != measuredKeys_) Refresh();
    });
}

TFormSerie::~TFormSerie() {
    ++request_;
    pool_->waitForDone(); // its results are queued to this window, dropped with it
}

std::vector<const void*> TFormSerie::FrameKeys() const {
    std::vector<const void*> keys;
    for (const TAnimImg& f : builder_.Builder.Frames)
        keys.push_back(f.Source ? static_cast<const void*>(f.Source.get()) : f.Bitmap.Pixels.data());
    return keys;
}

void TFormSerie::Refresh() {
    const uint64_t request = ++request_;
    measuredKeys_ = FrameKeys();
    // The measure reads its own copy of the frames' values: the builder may change meanwhile.
    struct TJob {
        std::string Name, Time;
        std::shared_ptr<const TFrameSource> Source;
    };
    auto jobs = std::make_shared<std::vector<TJob>>();
    for (const TAnimImg& f : builder_.Builder.Frames)
        jobs->push_back({f.Name, f.Time, f.Source});
    Rows.clear();
    ShowRows();
    Progress->setRange(0, static_cast<int>(jobs->size()));
    Progress->setValue(0);
    Progress->show();
    BitRetirer->setEnabled(false);
    pool_->start([this, jobs, request] {
        std::vector<TSeriesRow> rows;
        for (size_t k = 0; k < jobs->size() && request == request_; ++k) {
            const TJob& j = (*jobs)[k];
            TSeriesRow row{j.Name, {j.Time}, 0};
            if (j.Source) {
                try {
                    const TRawImage& raw = j.Source->Raw;
                    row.Figures = FrameFigures({raw.PixelType, raw.Width, raw.Height, raw.Store},
                                               j.Source->Scale, j.Time);
                } catch (const EOrvanelError&) {
                    // No figures: the frame is marked as without values.
                }
            }
            rows.push_back(std::move(row));
            QMetaObject::invokeMethod(
                this,
                [this, request, k] {
                    if (request == request_) Progress->setValue(static_cast<int>(k) + 1);
                },
                Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            this,
            [this, request, rows = std::move(rows)]() mutable { MeasureDone(request, std::move(rows)); },
            Qt::QueuedConnection);
    });
}

void TFormSerie::MeasureDone(uint64_t request, std::vector<TSeriesRow> rows) {
    if (request != request_) return;
    Rows = MarkedRows(std::move(rows));
    Progress->hide();
    ShowRows();
    emit Measured();
}

void TFormSerie::ShowRows() {
    Table->setRowCount(static_cast<int>(Rows.size()));
    int marked = 0;
    for (int k = 0; k < static_cast<int>(Rows.size()); ++k) {
        const TSeriesRow& r = Rows[static_cast<size_t>(k)];
        const bool hasValues = r.Figures.Values > 0;
        const QStringList cells = {QString::fromStdString(r.Name),
                                   r.Figures.Time.empty() ? QStringLiteral("—")
                                                          : QString::fromStdString(r.Figures.Time),
                                   hasValues ? Number(r.Figures.Median) : QStringLiteral("—"),
                                   hasValues ? Number(r.Figures.Spread) : QStringLiteral("—"),
                                   hasValues ? QString::number(r.Figures.Stars) : QStringLiteral("—"),
                                   QString::fromStdString(MarkText(r.Marks))};
        for (int c = 0; c < kColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c >= kColMedian && c <= kColStars) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (r.Marks != 0) item->setBackground(QColor(255, 215, 215));
            Table->setItem(k, c, item);
        }
        if (r.Marks != 0) ++marked;
    }
    Table->resizeColumnsToContents();
    Plot->SetRows(Rows);
    LabelResume->setText(
        Rows.empty() ? QString() : QStringLiteral("%1 images, %2 marquée(s)").arg(Rows.size()).arg(marked));
    BitRetirer->setEnabled(marked > 0);
}

void TFormSerie::BitRetirerClick() {
    // Rows measured on another frame list would drop the wrong frames: measured again instead.
    if (FrameKeys() != measuredKeys_) {
        Refresh();
        return;
    }
    std::vector<bool> drop;
    for (const TSeriesRow& r : Rows)
        drop.push_back(r.Marks != 0);
    const TBuilderEnabling e = builder_.Builder.RemoveFrames(drop);
    builder_.Redraw();
    builder_.ApplyEnabling(e);
    emit builder_.AnimationChanged();
    Refresh();
}

} // namespace orv::ui
