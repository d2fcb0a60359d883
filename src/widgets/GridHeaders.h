#pragma once
// The two headers of a data grid: the title row, whose captions wrap onto several lines, and the row
// indicator at the left, which marks the current row with a small triangle.

#include <QHeaderView>

class TGridTitle : public QHeaderView {
    Q_OBJECT
public:
    explicit TGridTitle(QWidget *parent = nullptr);
    // The height that shows every visible caption whole, wrapped within its column.
    int neededHeight() const;

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;
};

class TRowIndicator : public QHeaderView {
    Q_OBJECT
public:
    static constexpr int IndicatorWidth = 12;
    explicit TRowIndicator(QWidget *parent = nullptr);
    void setCurrentRow(int row);
    int currentRow() const { return m_current; }

protected:
    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override;

private:
    int m_current = -1;
};
