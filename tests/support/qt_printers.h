// Readable test failure output for Qt value types.
#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(const QRect &r, std::ostream *os) {
  *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << " x " << r.height() << ")";
}
inline void PrintTo(const QSize &s, std::ostream *os) { *os << "QSize(" << s.width() << " x " << s.height() << ")"; }
inline void PrintTo(const QPoint &p, std::ostream *os) { *os << "QPoint(" << p.x() << ", " << p.y() << ")"; }
inline void PrintTo(const QColor &c, std::ostream *os) {
  *os << "QColor(" << c.red() << ", " << c.green() << ", " << c.blue() << ")";
}
