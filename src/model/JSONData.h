#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// One box of a JSON box file: its label and its corners [[x1, y1], [x2, y2]] in image pixels.
// Read files may hold more or fewer points and numbers; users check before indexing.
struct ShapeData {
    QString label;
    std::vector<std::vector<double>> bboxCoord;
};

// The boxes of one image as the JSON box file holds them.
struct JSONData {
    QString imageName;
    std::int64_t imageIndex = 0;
    std::vector<ShapeData> shapes;
};

// Writes a box file straight into its bytes, one shape after another: one line of UTF-8 JSON, keys in
// field order, "/" written as "\/", every number reading back to the same double.
class JSONBoxWriter
{
public:
    JSONBoxWriter(const QString& imageName, std::int64_t imageIndex, size_t expectedShapes = 0);
    void beginShape(const QString& label);
    void addPoint(std::span<const double> numbers);
    void endShape();
    // The bytes; nothing when a coordinate was not finite, *error then says which.
    std::optional<QByteArray> finish(QString* error = nullptr);

private:
    char* room(size_t bytes);
    void append(const char* text, size_t size);
    void appendString(const QString& text);

    QByteArray buffer;
    size_t used = 0;
    size_t shapeCount = 0;
    bool firstPoint = true;
    QString currentLabel;
    QString fault;
};

std::optional<QByteArray> encodeJSONData(const JSONData& data, QString* error = nullptr);

// Strict: every key present with its type, "imageIndex" a whole number in the signed 64-bit range,
// coordinates finite numbers. Other keys are ignored; of a repeated key the last counts. Nothing on
// any fault; *error then says where.
std::optional<JSONData> decodeJSONData(const QByteArray& bytes, QString* error = nullptr);
