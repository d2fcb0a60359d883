#pragma once
// Timing helpers shared by the database benchmarks: milliseconds of a timer, the median of a set of
// times, and the median time of opening a statement through the data module.

#include "data/Udm.h"

#include <QElapsedTimer>
#include <QString>

#include <algorithm>
#include <vector>

inline double ms(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e6;
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Opens `sql` `runs` times and returns the median time; stops the benchmark when the statement fails
// or finds no row.
inline double timeLoad(const QString &sql, int runs)
{
    std::vector<double> times;
    db::Query query;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        if (OpenQuery(sql, query) < 1)
            qFatal("load failed: %s", qPrintable(GP.LastError));
        times.push_back(ms(t));
    }
    return median(times);
}
