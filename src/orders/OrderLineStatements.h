#pragma once
// The statements with which the subscription dialog writes an order line into torder. Numbers are
// plain decimals; the amount keeps its full value in the shortest general form with up to 15
// significant digits (never rounded to cents); texts pass through SqlText().

#include <QString>

#include <optional>

// 110.4, 396, 0.1 + 0.2 → "0.3".
QString AmountSqlText(double amount);

struct NewOrderLine {
    qint32 unitId = 0;
    int catalogueType = 0;
    QString code;   // bkdh
    QString period; // kq
    int startMonth = 1;
    int endMonth = 12;
    int copies = 1;
    std::optional<double> amount; // nothing when the amount edit is empty
};

QString OrderInsertSql(const NewOrderLine &line);

// A line as stored and as corrected in the dialog.
struct OrderLineValues {
    int startMonth = 0;
    int endMonth = 0;
    int copies = 0;
    std::optional<double> amount;
};

// ",qdy=..,zdy=.." when either month changed, ",fs=.." when the copies changed, ",ke=.." when the
// amount changed; empty when nothing did. Amounts count as equal when they read the same in the
// written form, so an amount that was stored and read back is not written again. An empty amount
// leaves the stored one alone.
QString OrderChangedAssignments(const OrderLineValues &stored, const OrderLineValues &edited);

// "update torder set ... where id=n" from the assignments above (their leading comma dropped).
QString OrderUpdateSql(const QString &assignments, qint64 id);
