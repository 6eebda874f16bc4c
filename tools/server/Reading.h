#pragma once

#include <QByteArrayView>
#include <QDateTime>

#include <optional>

namespace tbserver {

// One temperature reading and the moment it was taken.
struct Reading {
    double celsius = 0;
    QDateTime takenAt;
};

// Readings outside this range are refused as implausible (and could not be written into a reply
// of at most 30 bytes for much larger magnitudes anyway).
inline constexpr double kMinCelsius = -273.15;
inline constexpr double kMaxCelsius = 1000.0;
bool isPlausible(double celsius);

// The last number in a text written by a sensor logger or a command: digits with at most one
// "." and an optional "-" directly before them (a "-" right after a digit is a separator, as in
// 2024-01-05). Nothing when the text holds no number or the number is not plausible.
std::optional<double> lastNumberIn(QByteArrayView text);

} // namespace tbserver
