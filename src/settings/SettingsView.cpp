// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsView.h"

#include "LaunchAtLogin/LaunchAtLoginToggle.h"
#include "core/DefaultsKeys.h"
#include "toolkit/Stepper.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QSvgRenderer>
#include <QVBoxLayout>

namespace drowsel {

namespace {

constexpr double titleScale = 1.6;
constexpr Stepper::Range hoursRange{1, 72, 1};

int defaultInset(const QWidget* widget) { return widget->style()->pixelMetric(QStyle::PM_LayoutLeftMargin); }

QWidget* inset(QWidget* content, int margin) {
    auto* frame = new QWidget;
    auto* layout = new QVBoxLayout(frame);
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->addWidget(content);
    return frame;
}

// The named image "Image", fitted into side × side with its aspect kept; an
// empty square when the program was built without it.
QPixmap namedImage(int side, qreal ratio) {
    QPixmap pixmap(QSize(side, side) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/images/Image.svg"));
    if (renderer.isValid()) {
        const QSizeF fitted = QSizeF(renderer.defaultSize()).scaled(side, side, Qt::KeepAspectRatio);
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(QPointF((side - fitted.width()) / 2, (side - fitted.height()) / 2), fitted));
    }
    return pixmap;
}

QString textValue(const std::optional<QVariantMap>& dictionary, const QString& key) {
    if (!dictionary) {
        return {};
    }
    const QVariant value = dictionary->value(key);
    return value.typeId() == QMetaType::QString ? value.toString() : QString();
}

} // namespace

SettingsView::SettingsView(StoredSettings& settings, std::optional<QVariantMap> infoDictionary, QWidget* parent)
    : View(parent), hoursUntilClose(settings, DefaultsKeys::hoursUntilClose, DefaultsKeys::hoursUntilCloseFallback),
      showCloseButton(settings, DefaultsKeys::showCloseButton, false), infoDictionary(std::move(infoDictionary)),
      version(new QLabel(this)), stepper(new Stepper(
                                     hoursRange, [](std::int64_t hours) { return tr("%1h").arg(hours); },
                                     [this](std::int64_t hours) { hoursUntilClose.set(hours); }, this)),
      closeButtonBox(new QCheckBox(tr("Shows button to quit apps manually"), this)) {
    version->setObjectName("version");
    stepper->setObjectName("stepper");
    stepper->setAccessibleName(tr("Idle time in hours until quitting"));
    closeButtonBox->setObjectName("closeButton");
    connect(closeButtonBox, &QCheckBox::clicked, this, [this](bool isOn) { showCloseButton.set(isOn); });

    const int margin = defaultInset(this);
    auto* divider = new QFrame;
    divider->setFrameShape(QFrame::HLine);
    divider->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(inset(picture(), margin), 0, Qt::AlignHCenter);
    layout->addWidget(inset(title(), margin), 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addWidget(inset(divider, margin));
    layout->addWidget(inset(settingsBlock(), margin), 0, Qt::AlignHCenter);

    observe(hoursUntilClose.willChange());
    observe(showCloseButton.willChange());
    redraw();
}

QWidget* SettingsView::picture() {
    auto* label = new QLabel;
    label->setObjectName("picture");
    label->setFixedSize(pictureSide, pictureSide);
    label->setAlignment(Qt::AlignCenter);
    label->setPixmap(namedImage(pictureSide, devicePixelRatioF()));
    label->setAccessibleName(tr("Drowsel"));
    return label;
}

QWidget* SettingsView::title() {
    auto* label = new QLabel(tr("Drowsel"));
    label->setObjectName("title");
    QFont titleFont = font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * titleScale);
    label->setFont(titleFont);
    return label;
}

QWidget* SettingsView::settingsBlock() {
    auto* launchAtLogin = new LaunchAtLogin::Toggle;
    launchAtLogin->setObjectName("launchAtLogin");
    auto* block = new QWidget;
    auto* layout = new QVBoxLayout(block);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(settingsLine(tr("Startup:"), {launchAtLogin}), 0, Qt::AlignLeft);
    layout->addWidget(settingsLine(tr("Idle time:"), {stepper, new QLabel(tr("until quitting"))}), 0, Qt::AlignLeft);
    layout->addWidget(settingsLine(tr("Quit button:"), {closeButtonBox}), 0, Qt::AlignLeft);
    return block;
}

// A caption in a right-aligned column of fixed width, then the controls.
QWidget* SettingsView::settingsLine(const QString& caption, const QList<QWidget*>& controls) {
    auto* line = new QWidget;
    auto* layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(caption);
    label->setObjectName("caption");
    label->setFixedWidth(captionWidth + captionInset);
    label->setContentsMargins(0, 0, captionInset, 0);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(controls.front());
    layout->addWidget(label);
    for (QWidget* control : controls) {
        layout->addWidget(control);
    }
    return line;
}

QString SettingsView::versionText() const {
    return tr("%1 (%2)").arg(textValue(infoDictionary, QStringLiteral("CFBundleShortVersionString")),
                             textValue(infoDictionary, QStringLiteral("CFBundleVersion")));
}

void SettingsView::redraw() {
    version->setText(versionText());
    stepper->setValue(hoursUntilClose.value());
    closeButtonBox->setChecked(showCloseButton.value());
}

} // namespace drowsel
