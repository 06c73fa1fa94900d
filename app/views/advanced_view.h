#pragma once

#include <QWidget>

class Advanced;
class AdvancedContent;
class Monitor;
class PanelState;
class QScrollArea;

// The "Zaawansowane" page: Wi-Fi link, addresses, router and DNS, traffic and the public IP as scrollable
// cards. Its height follows the shared panel state, which it tells how tall the content is and whether the
// content is scrolled to its top.
class AdvancedView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedView)

public:
    AdvancedView(Advanced& a, Monitor& m, PanelState& ps, QWidget* parent = nullptr);

    AdvancedContent* content() const { return content_; }
    QScrollArea* scroller() const { return scroll_; }

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refill();
    void measure();
    void fitHeight();

    Advanced& a_;
    Monitor& m_;
    PanelState& ps_;
    QScrollArea* scroll_;
    AdvancedContent* content_;
};
