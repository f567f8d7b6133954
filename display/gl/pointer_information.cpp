#include "display/gl/pointer_information.h"

#include <QCloseEvent>
#include <QLabel>

#include <algorithm>

namespace {

constexpr int kLabelLeft = 5;
constexpr int kLabelPitch = 18;  // tops at 5, 23, 41, 59
constexpr int kLabelGap = 5;
constexpr double kLabelPoints = 9.75;

}  // namespace

PointerInformation::PointerInformation(QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("PointerInformation");
    setWindowTitle("PointerInformation");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAutoFillBackground(true);
    resize(kInitialWidth, kInitialHeight);
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSizeF(kLabelPoints);
    const char* names[] = {"labelzahyou", "labelzahyou2", "labelzahyou3", "labelzahyou4"};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(QStringLiteral("(3, 2)"), this);
        label->setObjectName(names[i]);
        label->setFont(font);
        label->move(kLabelLeft, kLabelLeft + i * kLabelPitch);
        label->adjustSize();
        labelzahyou[i] = label;
    }
}

void PointerInformation::apply(const ReadoutTexts& texts, int used) {
    labelwidth = 0;
    labelheight = 0;
    for (int i = 0; i < 4; ++i) {
        labelzahyou[i]->setText(QString::fromStdString(texts.labels[i]));
        labelzahyou[i]->adjustSize();
        if (i < used) {
            labelwidth = std::max(labelwidth, labelzahyou[i]->width());
            labelheight += labelzahyou[i]->height() + kLabelGap;
        }
    }
}

void PointerInformation::setLabelTextSpike(const float* zahyou) { apply(::setLabelTextSpike(zahyou), 2); }
void PointerInformation::setLabelText(const float* zahyou) { apply(::setLabelText(zahyou), 2); }
void PointerInformation::setLabelTextStim(const float* zahyou) { apply(::setLabelTextStim(zahyou), 4); }

void PointerInformation::showEvent(QShowEvent* event) {
    showing = 1;
    QWidget::showEvent(event);
}

void PointerInformation::closeEvent(QCloseEvent* event) {
    showing = 0;
    QWidget::closeEvent(event);
}
