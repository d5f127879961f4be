#include "vantrelle/app/TForm2.h"

#include "vantrelle/CodePage.h"
#include "vantrelle/app/Glyphs.h"
#include "vantrelle/app/WindowLook.h"

#include <QFrame>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

#include <algorithm>

namespace vantrelle::app {

namespace {
constexpr int kLineHeight = 13;
constexpr int kWidth = 195;
constexpr int kHeight = 153;
} // namespace

TForm2::TForm2(QWidget* owner)
    : QDialog(owner,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Please select"));
    applyWindowLook(this);
    setFixedSize(kWidth, kHeight);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::Panel);
    Panel1->setFrameShadow(QFrame::Raised);
    Panel1->setGeometry(0, 0, 195, 33);

    BitBtn1 = new QPushButton(glyphIcon(Glyph::CheckMark), QStringLiteral("OK"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setGeometry(8, 4, 81, 25);
    BitBtn1->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { done(mrOk); });

    BitBtn2 = new QPushButton(glyphIcon(Glyph::Cross), QStringLiteral("Cancel"), Panel1);
    BitBtn2->setObjectName(QStringLiteral("BitBtn2"));
    BitBtn2->setGeometry(104, 4, 83, 25);
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(mrCancel); });

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(0, 33, 195, 120);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    setTabOrder(BitBtn1, BitBtn2);
    setTabOrder(BitBtn2, ListBox1);
}

void TForm2::fitWidthToLines()
{
    int widest = 0;
    for (int row = 0; row < ListBox1->count(); ++row)
        widest = std::max(widest, ListBox1->fontMetrics().horizontalAdvance(ListBox1->item(row)->text()));
    // The list's frame, a scroll bar and the item's own margins.
    const int chrome = 2 * ListBox1->frameWidth() + style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this)
        + 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
    int width = std::max(kWidth, widest + chrome);
    if (const QScreen* shownOn = screen())
        width = std::min(width, shownOn->availableGeometry().width());
    setFixedSize(width, kHeight);
    Panel1->resize(width, Panel1->height());
    ListBox1->resize(width, ListBox1->height());
}

int TForm2::showModal()
{
    centreOnOwner(this);
    BitBtn1->setFocus();
    // Escape and the close box reject the dialog, which is the Cancel result.
    const int result = exec();
    return result == mrOk ? mrOk : mrCancel;
}

ChooseFromListResult ChooseFromList(QWidget* owner, const std::vector<std::string>& items)
{
    auto* dialog = new TForm2(owner);
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(items.size()));
    for (const std::string& item : items)
        lines.append(QString::fromStdString(ansiToUtf8(item)));
    dialog->ListBox1->addItems(lines);
    for (int row = 0; row < dialog->ListBox1->count(); ++row)
        dialog->ListBox1->item(row)->setSizeHint(QSize(0, kLineHeight));
    dialog->fitWidthToLines();

    ChooseFromListResult outcome { dialog->showModal(), -1 };
    if (outcome.result == mrOk)
        outcome.index = dialog->ListBox1->currentItem() && dialog->ListBox1->currentItem()->isSelected()
            ? dialog->ListBox1->currentRow()
            : -1;
    // Every call starts from a fresh dialog; this one is not needed again.
    delete dialog;
    return outcome;
}

} // namespace vantrelle::app
