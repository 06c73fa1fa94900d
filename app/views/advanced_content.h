#pragma once

#include "views/detail_rows.h"

#include <QList>
#include <QWidget>
#include <optional>

class AdvancedLocation;
class AdvancedPublicIP;
class AdvancedRows;
class Card;
class Label;

// The details as a column of titled cards, drawn from a copy of the models' facts.
class AdvancedContent final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(AdvancedContent)

public:
    explicit AdvancedContent(QWidget* parent = nullptr);

    void setFacts(const DetailFacts& facts);

    const QList<Card*>& cards() const { return cards_; }
    const QList<AdvancedRows*>& rows() const { return rows_; }
    AdvancedLocation* location() const { return location_; }
    AdvancedPublicIP* publicIP() const { return publicIP_; }

signals:
    // The user asked for the public address; `exit` is the exit node in use at that moment.
    void fetchPublicIP(const std::optional<QString>& exit);
    void askLocation();

private:
    QList<Card*> cards_;
    QList<AdvancedRows*> rows_;
    QList<Label*> empties_;
    AdvancedLocation* location_ = nullptr;
    AdvancedPublicIP* publicIP_ = nullptr;
    std::optional<QString> exit_;
};
