#pragma once

#include <QString>

#include <optional>

namespace tb {

// A place on the earth in decimal degrees (WGS84): north and east positive.
struct Coordinates {
    double latitude = 0;
    double longitude = 0;
};

// Reads "LAT,LON" with "." as the decimal point, blanks around either number allowed, latitude
// -90..90 and longitude -180..180. Nothing when the text is not such a pair; `error` then says why.
std::optional<Coordinates> parseCoordinates(const QString& text, QString* error);

// One of the two numbers: plain decimals with "." as the point (no exponent, "inf" or "nan"),
// blanks around it allowed, from -limit to limit (90 for a latitude, 180 for a longitude).
std::optional<double> parseDegrees(const QString& text, double limit);

// One number as the command line and the service's query take it: "." as the point, at most
// `decimals` decimals (six are about 10 cm), no trailing zeros, never an exponent or "-0".
QString degreesText(double degrees, int decimals = 6);

// "LAT,LON" in the same form, so parseCoordinates(coordinatesText(c)) gives c back (to six decimals).
QString coordinatesText(const Coordinates& place);

} // namespace tb
