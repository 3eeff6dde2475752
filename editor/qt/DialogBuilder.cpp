#include "editor/qt/DialogBuilder.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTableView>

#include <algorithm>
#include <cmath>

namespace zrb::gui {

namespace {

bool IsText(ControlKind kind) {
    return kind == ControlKind::LeftText || kind == ControlKind::CenterText ||
           kind == ControlKind::RightText;
}

// Static texts wrap at word boundaries. Only a text with room for two lines or more is
// set to wrap in Qt: a one-line label must show all of it, not drop words into a second
// line that its control has no room for.
bool Wraps(const ControlTemplate& control) {
    return IsText(control.kind) && control.rect.height() >= 16;
}

// "&Save Changes" as it shows: the mnemonic marker dropped, "&&" as one "&".
QString ShownText(const QString& text) {
    QString shown;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
        }
        shown += text[i];
    }
    return shown;
}

// A group box whose etched frame line runs through the middle of its title, as the
// templates expect: their first rows sit half a line below the title, where the styles'
// own group boxes (title above the frame) would have the frame cross the rows' boxes.
class GroupFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        const QFontMetrics fm(font());
        const QRect frame = rect().adjusted(0, fm.height() / 2, -1, -1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.adjusted(1, 1, 0, 0));
        const int pad = fm.averageCharWidth() / 2;
        const QRect titleRect(fm.averageCharWidth(), 0, fm.horizontalAdvance(title()) + 2 * pad,
                              fm.height());
        painter.fillRect(titleRect, palette().window());
        style()->drawItemText(&painter, titleRect, Qt::AlignCenter, palette(), isEnabled(), title(),
                              QPalette::WindowText);
    }
};

QWidget* CreateControl(const ControlTemplate& c, QWidget* parent) {
    switch (c.kind) {
        case ControlKind::LeftText:
        case ControlKind::CenterText:
        case ControlKind::RightText: {
            auto* label = new QLabel(parent);
            label->setTextFormat(Qt::PlainText);
            label->setText(c.text);
            const Qt::Alignment across = c.kind == ControlKind::LeftText     ? Qt::AlignLeft
                                         : c.kind == ControlKind::CenterText ? Qt::AlignHCenter
                                                                             : Qt::AlignRight;
            label->setAlignment(across | Qt::AlignTop);
            label->setWordWrap(Wraps(c));
            return label;
        }
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(parent);
            const Qt::Alignment across = c.HasStyle(QStringLiteral("ES_RIGHT")) ? Qt::AlignRight
                                         : c.HasStyle(QStringLiteral("ES_CENTER"))
                                             ? Qt::AlignHCenter
                                             : Qt::AlignLeft;
            edit->setAlignment(across | Qt::AlignVCenter);
            if (c.HasStyle(QStringLiteral("ES_READONLY"))) {
                edit->setReadOnly(true);
                // A box the user cannot type into looks like the dialog's face.
                QPalette palette = edit->palette();
                palette.setColor(QPalette::Base, palette.color(QPalette::Window));
                edit->setPalette(palette);
            }
            return edit;
        }
        case ControlKind::ListBox: {
            auto* list = new QListView(parent);
            list->setUniformItemSizes(true);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setEditTriggers(QAbstractItemView::NoEditTriggers);
            list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            return list;
        }
        case ControlKind::GroupBox: {
            auto* group = new GroupFrame(c.text, parent);
            group->setFocusPolicy(Qt::NoFocus);
            return group;
        }
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new QPushButton(c.text, parent);
            // Enter is the dialog's to route: a focused button clicks, elsewhere it is OK.
            button->setAutoDefault(false);
            button->setDefault(c.kind == ControlKind::DefPushButton);
            return button;
        }
        case ControlKind::Icon: {
            auto* label = new QLabel(parent);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlKind::ComboBox:
            return new QComboBox(parent);
        case ControlKind::CheckBox:
            return new QCheckBox(c.text, parent);
        case ControlKind::Table: {
            auto* table = new QTableView(parent);
            table->setSelectionBehavior(QAbstractItemView::SelectRows);
            table->setSelectionMode(QAbstractItemView::ExtendedSelection);
            table->setEditTriggers(QAbstractItemView::NoEditTriggers);
            table->setWordWrap(false);
            table->setTabKeyNavigation(false);
            table->verticalHeader()->hide();
            table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
            table->horizontalHeader()->setSectionsClickable(
                !c.HasStyle(QStringLiteral("LVS_NOSORTHEADER")));
            table->horizontalHeader()->setHighlightSections(false);
            return table;
        }
    }
    return nullptr;
}

// The room a control's text needs, in pixels; empty where there is no text to fit.
QSize TextRoom(const ControlTemplate& control, QWidget* widget) {
    const QFontMetrics fm(widget->font());
    QStyle* style = widget->style();
    if (IsText(control.kind)) {
        // A wrapping text needs height for its width, which is checked once the width is
        // known.
        return Wraps(control) ? QSize() : widget->sizeHint();
    }
    switch (control.kind) {
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            // The label inside the button's frame and margin (the style's minimum button
            // width is a preference, not room the text needs).
            const int frame = 2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, widget);
            const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
            return QSize(fm.horizontalAdvance(ShownText(control.text)) + frame + margin,
                         fm.height() + frame);
        }
        case ControlKind::GroupBox:
            return QSize(widget->minimumSizeHint().width(), fm.height());
        case ControlKind::Edit:
            return QSize(0, widget->minimumSizeHint().height());
        case ControlKind::CheckBox:
            return QSize(widget->sizeHint().width(), fm.height());
        default:
            return QSize();
    }
}

}  // namespace

int DialogUnits::X(int du) const {
    return static_cast<int>(std::lround(du * x));
}

int DialogUnits::Y(int du) const {
    return static_cast<int>(std::lround(du * y));
}

QRect DialogUnits::ToPixels(const QRect& du) const {
    // Both edges are rounded, so controls that touch in units touch in pixels.
    const int left = X(du.x());
    const int top = Y(du.y());
    return QRect(left, top, X(du.x() + du.width()) - left, Y(du.y() + du.height()) - top);
}

QSize DialogUnits::ToPixels(const QSize& du) const {
    return QSize(X(du.width()), Y(du.height()));
}

DialogUnits BaseUnits(const QFont& font) {
    const QFontMetricsF fm(font);
    const double average = fm.horizontalAdvance(QStringLiteral(
                               "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) /
                           52.0;
    return {average / 4.0, fm.height() / 8.0};
}

BuiltControls BuildControls(const DialogTemplate& dialog, QWidget* parent, QPoint origin,
                            const QIcon& icon) {
    BuiltControls built;
    const ControlTemplate* before = nullptr;
    for (const ControlTemplate& c : dialog.controls) {
        QWidget* widget = CreateControl(c, parent);
        if (c.id >= 0) {
            widget->setObjectName(QStringLiteral("id%1").arg(c.id));
            built.byId.insert(c.id, widget);
        }
        if ((c.kind == ControlKind::Edit || c.kind == ControlKind::ComboBox) && c.id >= 0 &&
            before != nullptr && before->kind == ControlKind::LeftText) {
            built.labels.insert(c.id, before->text);
            if (auto* label = qobject_cast<QLabel*>(built.placed.back().first)) {
                label->setBuddy(widget);
            }
        }
        built.placed.emplace_back(widget, c.rect);
        before = &c;
    }

    DialogUnits units = BaseUnits(parent->font());
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const QRect& du = dialog.controls[i].rect;
        const QSize room = TextRoom(dialog.controls[i], built.placed[i].first);
        // One pixel over the room covers the rounding of the control's edges.
        if (room.width() > 0 && du.width() > 0) {
            units.x = std::max(units.x, (room.width() + 1.0) / du.width());
        }
        if (room.height() > 0 && du.height() > 0) {
            units.y = std::max(units.y, (room.height() + 1.0) / du.height());
        }
    }
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& c = dialog.controls[i];
        if (Wraps(c)) {
            const int width = units.ToPixels(c.rect).width();
            const int height = built.placed[i].first->heightForWidth(width);
            units.y = std::max(units.y, (height + 1.0) / c.rect.height());
        }
    }
    built.units = units;

    QWidget* previous = nullptr;
    for (std::size_t i = 0; i < dialog.controls.size(); ++i) {
        const ControlTemplate& c = dialog.controls[i];
        QWidget* widget = built.placed[i].first;
        widget->setGeometry(units.ToPixels(c.rect).translated(origin));
        if (c.kind == ControlKind::ComboBox) {
            // The template's height includes the dropped-down list; the box is one line.
            widget->resize(widget->width(), widget->sizeHint().height());
        }
        if (c.kind == ControlKind::GroupBox) {
            // Behind the controls it frames, so that it takes none of their clicks.
            widget->lower();
        }
        if (c.kind == ControlKind::Icon) {
            const int side = std::min(widget->width(), widget->height());
            static_cast<QLabel*>(widget)->setPixmap(
                icon.pixmap(QSize(side, side), widget->devicePixelRatioF()));
        }
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previous != nullptr) {
                QWidget::setTabOrder(previous, widget);
            }
            previous = widget;
        }
    }
    built.clientSize = units.ToPixels(dialog.rect.size());
    parent->setFixedSize(built.clientSize + QSize(origin.x(), origin.y()));
    return built;
}

QKeySequence KeysOf(const Shortcut& shortcut) {
    return QKeySequence::fromString(
        QString::fromUtf8(shortcut.shown.data(), qsizetype(shortcut.shown.size())),
        QKeySequence::PortableText);
}

QMenuBar* BuildMenuBar(const MenuTemplate& menu, QDialog* dialog) {
    auto* bar = new QMenuBar(dialog);
    bar->setObjectName(QStringLiteral("menu%1").arg(menu.id));
    for (const PopupTemplate& popup : menu.popups) {
        QMenu* sub = bar->addMenu(popup.text);
        for (const MenuItemTemplate& item : popup.items) {
            if (item.text.isEmpty()) {
                sub->addSeparator();
                continue;
            }
            QAction* action = sub->addAction(item.text);
            action->setObjectName(QStringLiteral("id%1").arg(item.id));
        }
    }
    return bar;
}

void WrongControl(int templateId, int id, const char* expected, const QObject* found) {
    const QString where = templateId != 0 ? QStringLiteral("template %1").arg(templateId)
                                          : QStringLiteral("the window");
    const QString what = found != nullptr
                             ? QStringLiteral("a %1").arg(found->metaObject()->className())
                             : QStringLiteral("nothing");
    qFatal("%s: control %d should be a %s, is %s", qPrintable(where), id, expected,
           qPrintable(what));
}

BuiltControls BuildDialog(int dialogId, QDialog* dialog, const QIcon& icon) {
    const ResourceScript& resources = EditorResources();
    if (!resources.dialogs.contains(dialogId)) {
        qFatal("no dialog template %d in zrb-editor.rc", dialogId);
    }
    const DialogTemplate tmpl = resources.dialogs.value(dialogId);
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowCloseButtonHint);
    dialog->setWindowTitle(tmpl.caption);
    dialog->setWindowIcon(icon);
    QPoint origin;
    QMenuBar* bar = nullptr;
    if (tmpl.menuId != 0) {
        if (!resources.menus.contains(tmpl.menuId)) {
            qFatal("template %d: no menu %d in zrb-editor.rc", dialogId, tmpl.menuId);
        }
        bar = BuildMenuBar(resources.menus.value(tmpl.menuId), dialog);
        origin.setY(bar->sizeHint().height());
    }
    BuiltControls built = BuildControls(tmpl, dialog, origin, icon);
    built.templateId = dialogId;
    if (bar != nullptr) {
        bar->setGeometry(0, 0, built.clientSize.width(), origin.y());
    }
    if (tmpl.HasStyle(QStringLiteral("WS_THICKFRAME"))) {
        dialog->setWindowFlag(Qt::WindowMaximizeButtonHint, true);
        dialog->setMinimumSize(dialog->size());
        dialog->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    }
    return built;
}

StretchingLayout::StretchingLayout(const BuiltControls& built, QWidget* table, QWidget* dialog)
    : QObject(dialog), base_(dialog->size()) {
    for (const auto& [widget, du] : built.placed) {
        const QRect r = widget->geometry();
        placed_.push_back({widget, {r.x(), r.y(), r.width(), r.height()}});
        if (widget == table) {
            table_ = placed_.back().second;
        }
    }
    dialog->installEventFilter(this);
}

bool StretchingLayout::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Resize) {
        const QSize size = static_cast<QWidget*>(watched)->size();
        const int dx = std::max(0, size.width() - base_.width());
        const int dy = std::max(0, size.height() - base_.height());
        for (const auto& [widget, box] : placed_) {
            const Box r = Stretched(box, table_, dx, dy);
            widget->setGeometry(r.x, r.y, r.width, r.height);
        }
    }
    return QObject::eventFilter(watched, event);
}

bool RouteEnter(QDialog* dialog, QKeyEvent* event) {
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if ((event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) ||
        modifiers != Qt::NoModifier) {
        return false;
    }
    if (auto* button = qobject_cast<QPushButton*>(dialog->focusWidget())) {
        button->click();
    } else {
        dialog->accept();
    }
    return true;
}

}  // namespace zrb::gui
