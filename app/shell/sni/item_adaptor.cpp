#include "shell/sni/item_adaptor.h"

#include "shell/sni/status_notifier_item.h"

StatusNotifierItemAdaptor::StatusNotifierItemAdaptor(StatusNotifierItem* item)
    : QDBusAbstractAdaptor(item)
    , item_(item) {
    registerSniTypes();
    connect(item, &StatusNotifierItem::newIcon, this, &StatusNotifierItemAdaptor::NewIcon);
    connect(item, &StatusNotifierItem::newToolTip, this, &StatusNotifierItemAdaptor::NewToolTip);
}

QString StatusNotifierItemAdaptor::id() const {
    return item_->id();
}

QString StatusNotifierItemAdaptor::title() const {
    return item_->title();
}

SniPixmaps StatusNotifierItemAdaptor::iconPixmap() const {
    return item_->pixmaps();
}

SniToolTip StatusNotifierItemAdaptor::toolTip() const {
    return item_->toolTip();
}

void StatusNotifierItemAdaptor::ContextMenu(int x, int y) {
    emit item_->contextMenuRequested({x, y});
}

void StatusNotifierItemAdaptor::Activate(int x, int y) {
    emit item_->activated({x, y});
}

void StatusNotifierItemAdaptor::SecondaryActivate(int x, int y) {
    emit item_->secondaryActivated({x, y});
}

void StatusNotifierItemAdaptor::Scroll(int delta, const QString& orientation) {
    emit item_->scrolled(delta, orientation.compare(QStringLiteral("horizontal"), Qt::CaseInsensitive) == 0
                                    ? Qt::Horizontal
                                    : Qt::Vertical);
}
