#pragma once

#include <QWidget>
#include <optional>

class TabButton;

// The panel's row of tabs: the overview first, always whole, then one tab per host at its natural width.
// When the hosts' tabs do not fit they scroll sideways under the overview tab (wheel, touchpad or a click on
// the chevron of an edge with more beyond it; a chosen tab is brought into view). A single name wider than
// the whole row is cut with an ellipsis, its full text in the tooltip.
class TabStrip final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TabStrip)

public:
    struct Tab {
        QString id;
        QString label;
        QString symbol;

        bool operator==(const Tab&) const = default;
    };

    explicit TabStrip(QWidget* parent = nullptr);

    // Replaces the buttons only when the tabs differ from the ones shown.
    void setTabs(const QList<Tab>& tabs);
    void setSelected(const QString& id);
    const QList<TabButton*>& buttons() const { return buttons_; }
    // The part of the strip the host tabs scroll in.
    const QWidget* hostArea() const { return hosts_; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void chosen(const QString& id);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    class Fade;

    void place();
    void scrollBy(int dx);
    void reveal(const TabButton* tab);

    QList<Tab> tabs_;
    QList<TabButton*> buttons_;
    std::optional<QString> selected_;
    // How far the host tabs are scrolled, and their whole width.
    int offset_ = 0;
    int content_ = 0;
    // Holds the host tabs, so one scrolled under the overview tab is cut at its edge.
    QWidget* hosts_;
    Fade* left_;
    Fade* right_;
};
