// The window at any size from its design's up: the extra height goes to the list and the picture, the extra width to
// the list, the picture (which keeps its proportions) and, spread evenly, the details and buttons below them.
#include "vantrelle/app/DBGrid.h"
#include "vantrelle/app/DBImage.h"
#include "vantrelle/app/DropDownButton.h"
#include "vantrelle/app/Image.h"
#include "vantrelle/app/TForm1.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QResizeEvent>

#include <algorithm>
#include <cmath>

namespace vantrelle::app {

namespace {

// `design` stretched across by `across` and moved down by `down`; a label keeps its width, as its text does.
QRect stretched(const QWidget* control, QRect design, double across, int down)
{
    const int left = static_cast<int>(std::lround(design.x() * across));
    const int right = static_cast<int>(std::lround((design.x() + design.width()) * across));
    const int width = qobject_cast<const QLabel*>(control) ? design.width() : right - left;
    return { left, design.y() + down, width, design.height() };
}

} // namespace

void TForm1::noteDesignGeometry()
{
    for (QWidget* control : findChildren<QWidget*>())
        if (control->parentWidget() == this || qobject_cast<QGroupBox*>(control->parentWidget()))
            m_designGeometry.insert(control, control->geometry());
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    followSize();
}

void TForm1::followSize()
{
    if (m_designGeometry.isEmpty())
        return;
    const QSize design = minimumSize();
    const int wider = std::max(0, width() - design.width());
    const int taller = std::max(0, height() - design.height());
    const auto designOf = [this](QWidget* control) { return m_designGeometry.value(control); };

    // The picture grows with the height as far as its proportions and the extra width allow.
    const QRect picture = designOf(DBImage1);
    const int pictureWider = std::min(wider, taller * picture.width() / picture.height());
    const int pictureTaller = pictureWider * picture.height() / picture.width();
    DBImage1->setGeometry(picture.adjusted(0, 0, pictureWider, pictureTaller));
    GroupBox2->setGeometry(designOf(GroupBox2).adjusted(wider - pictureWider, 0, wider, taller));
    GroupBox1->setGeometry(designOf(GroupBox1).adjusted(0, 0, wider - pictureWider, taller));
    DBGrid1->setGeometry(designOf(DBGrid1).adjusted(0, 0, wider - pictureWider, taller));

    const double across = double(width()) / design.width();
    QWidget* const below[] = { GroupBox3, GroupBox4, SpeedButton1, BitBtn1, BitBtn4, BitBtn2, BitBtn3, Image1 };
    for (QWidget* control : below)
        control->setGeometry(stretched(control, designOf(control), across, taller));
    for (QGroupBox* box : { GroupBox3, GroupBox4 }) {
        const double boxAcross = double(box->width()) / designOf(box).width();
        for (QWidget* control : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (m_designGeometry.contains(control))
                control->setGeometry(stretched(control, designOf(control), boxAcross, 0));
    }
}

} // namespace vantrelle::app
