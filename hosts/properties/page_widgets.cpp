#include "hosts/properties/page_widgets.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/com/wide_text.hpp"
#include "platform/imaging/painter.hpp"
#include "resources/dialog_ids.hpp"

namespace tavrin::host {
namespace {

// A text of the object's dialogs, which may hold Windows-1252 bytes read from a file.
QString text(std::string_view dialogText) {
    return QString::fromStdU16String(com::toWide(dialogText));
}

// A page: owns the dialog stand-in, opens it with WM_INITDIALOG and closes it with WM_DESTROY.
class PageWidget : public QWidget {
  public:
    explicit PageWidget(ui::HPROPSHEETPAGE page) : dialog_(ui::pageDescription(page).pfnDlgProc) {
        dialog_.send(ui::WM_INITDIALOG, 0,
                     reinterpret_cast<ui::LPARAM>(&ui::pageDescription(page)));
    }
    ~PageWidget() override { dialog_.send(ui::WM_DESTROY); }

  protected:
    ui::Dialog dialog_;
};

QPlainTextEdit* readOnlyBox(const std::string& content) {
    auto* box = new QPlainTextEdit;
    box->setReadOnly(true);
    QString lines = text(content);
    lines.remove(QLatin1Char('\r'));
    box->setPlainText(lines);
    return box;
}

class InformationPage : public PageWidget {
  public:
    explicit InformationPage(ui::HPROPSHEETPAGE page) : PageWidget(page) {
        auto* layout = new QVBoxLayout(this);
        auto* summary = new QGroupBox(QStringLiteral("Zusammenfassung"));
        auto* summaryLayout = new QVBoxLayout(summary);
        QPlainTextEdit* summaryBox =
            readOnlyBox(ui::dialogItemText(&dialog_, resources::kSummaryControl));
        summaryBox->setFrameShape(QFrame::NoFrame);
        summaryLayout->addWidget(summaryBox);
        layout->addWidget(summary);
        layout->addWidget(new QLabel(QStringLiteral("Zusätzliche Bildinformationen:")));
        layout->addWidget(readOnlyBox(ui::dialogItemText(&dialog_, resources::kExtraInfoControl)),
                          1);
    }
};

// An owner-drawn control: the page draws it onto a bitmap of the control's size.
class OwnerDrawn : public QWidget {
  public:
    OwnerDrawn(ui::Dialog& dialog, int control, QSize size) : dialog_(dialog), control_(control) {
        setFixedSize(size);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        auto surface = imaging::Bitmap::create(width(), height());
        const QColor background = palette().color(QPalette::Window);
        surface->clear(0xFF000000u | background.rgb());
        imaging::Painter painter(*surface);
        const ui::DRAWITEMSTRUCT item{
            static_cast<ui::UINT>(control_), &painter, {0, 0, width(), height()}};
        dialog_.send(ui::WM_DRAWITEM, static_cast<ui::WPARAM>(control_),
                     reinterpret_cast<ui::LPARAM>(&item));
        const QImage image(surface->row(0), surface->width(), surface->height(), surface->stride(),
                           QImage::Format_BGR888);
        QPainter p(this);
        p.drawImage(0, 0, image);
    }

  private:
    ui::Dialog& dialog_;
    int control_;
};

class HistogramPage : public PageWidget {
  public:
    explicit HistogramPage(ui::HPROPSHEETPAGE page) : PageWidget(page) {
        auto* layout = new QVBoxLayout(this);
        auto* preview = new OwnerDrawn(dialog_, resources::kPreviewControl,
                                       QSize(resources::kPreviewWidth, resources::kPreviewHeight));
        layout->addWidget(preview, 0, Qt::AlignHCenter);
        auto* group = new QGroupBox(QStringLiteral("Histogramm"));
        auto* groupLayout = new QVBoxLayout(group);
        auto* histogram =
            new OwnerDrawn(dialog_, resources::kHistogramControl,
                           QSize(resources::kHistogramWidth, resources::kHistogramHeight));
        groupLayout->addWidget(histogram, 0, Qt::AlignHCenter);
        layout->addWidget(group);
        // The worker asks for a repaint when it is done; the page looks for that request.
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, timer] {
            if (!dialog_.waitForRepaint(std::chrono::milliseconds(0))) return;
            timer->stop();
            update();
            for (QWidget* child : findChildren<QWidget*>())
                child->update();
        });
        timer->start(50);
    }
};

}  // namespace

std::unique_ptr<QWidget> createPageWidget(ui::HPROPSHEETPAGE page) {
    switch (ui::pageDescription(page).templateId) {
        case resources::kInformationPageTemplate:
            return std::make_unique<InformationPage>(page);
        case resources::kHistogramPageTemplate:
            return std::make_unique<HistogramPage>(page);
        default:
            return nullptr;
    }
}

}  // namespace tavrin::host
