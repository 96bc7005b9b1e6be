#include "model/JSONData.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <string>

namespace
{
using Json = nlohmann::ordered_json;

// A reading fault, with the path of the value at fault.
struct Fault {
    std::string text;
};

std::string join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }
std::string at(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

const Json& member(const Json& object, const char* key, const std::string& path)
{
    const std::string where = join(path, key);
    const auto it = object.find(key);
    if (it == object.end())
        throw Fault { "missing key \"" + where + "\"" };
    if (it->is_null())
        throw Fault { "\"" + where + "\" is null" };
    return *it;
}

[[noreturn]] void wrongType(const Json& value, const std::string& where, const char* wanted)
{
    throw Fault { "\"" + where + "\" is " + value.type_name() + ", not " + wanted };
}

QString readString(const Json& object, const char* key, const std::string& path)
{
    const Json& value = member(object, key, path);
    if (!value.is_string())
        wrongType(value, join(path, key), "a string");
    return QString::fromStdString(value.get_ref<const std::string&>());
}

std::int64_t readIndex(const Json& object, const char* key)
{
    const Json& value = member(object, key, "");
    constexpr double twoTo63 = 9223372036854775808.0;
    if (value.is_number_unsigned()) {
        if (value.get<std::uint64_t>() <= std::uint64_t(INT64_MAX))
            return std::int64_t(value.get<std::uint64_t>());
    } else if (value.is_number_integer()) {
        return value.get<std::int64_t>();
    } else if (value.is_number_float()) {
        // A float of exactly -2^63 may stand for a text beyond the range, so it is refused too.
        const double v = value.get<double>();
        if (std::isfinite(v) && std::trunc(v) == v && v > -twoTo63 && v < twoTo63)
            return std::int64_t(v);
    } else {
        wrongType(value, key, "a number");
    }
    throw Fault { std::string("\"") + key + "\" is not a whole number in the signed 64-bit range" };
}

std::vector<std::vector<double>> readPoints(const Json& object, const std::string& path)
{
    const std::string where = join(path, "bboxCoord");
    const Json& value = member(object, "bboxCoord", path);
    if (!value.is_array())
        wrongType(value, where, "a list of points");
    std::vector<std::vector<double>> points;
    points.reserve(value.size());
    for (size_t i = 0; i < value.size(); ++i) {
        const Json& point = value[i];
        if (!point.is_array())
            wrongType(point, at(where, i), "a list of numbers");
        std::vector<double>& numbers = points.emplace_back();
        numbers.reserve(point.size());
        for (size_t k = 0; k < point.size(); ++k) {
            const Json& number = point[k];
            if (!number.is_number())
                wrongType(number, at(at(where, i), k), "a number");
            const double v = number.get<double>();
            if (!std::isfinite(v))
                throw Fault { "\"" + at(at(where, i), k) + "\" is too large for a double" };
            numbers.push_back(v);
        }
    }
    return points;
}

// The text form of the original encoder: it escapes every "/". A slash can stand only inside a string.
QByteArray escapeSlashes(const std::string& text)
{
    QByteArray out;
    out.reserve(qsizetype(text.size() + text.size() / 8));
    for (const char c : text) {
        if (c == '/')
            out.append('\\');
        out.append(c);
    }
    return out;
}
} // namespace

std::optional<QByteArray> encodeJSONData(const JSONData& data, QString* error)
{
    Json shapes = Json::array();
    for (size_t s = 0; s < data.shapes.size(); ++s) {
        const ShapeData& shape = data.shapes[s];
        Json points = Json::array();
        for (size_t i = 0; i < shape.bboxCoord.size(); ++i) {
            Json numbers = Json::array();
            for (size_t k = 0; k < shape.bboxCoord[i].size(); ++k) {
                const double v = shape.bboxCoord[i][k];
                if (!std::isfinite(v)) {
                    if (error)
                        *error = QStringLiteral("Box %1 (\"%2\") has a coordinate that is not a finite number (%3).")
                                     .arg(s + 1)
                                     .arg(shape.label)
                                     .arg(v);
                    return std::nullopt;
                }
                numbers.push_back(v);
            }
            points.push_back(std::move(numbers));
        }
        Json object = Json::object();
        object["label"] = shape.label.toStdString();
        object["bboxCoord"] = std::move(points);
        shapes.push_back(std::move(object));
    }
    Json root = Json::object();
    root["imageName"] = data.imageName.toStdString();
    root["imageIndex"] = data.imageIndex;
    root["shapes"] = std::move(shapes);
    try {
        return escapeSlashes(root.dump());
    } catch (const Json::exception& e) {
        if (error)
            *error = QStringLiteral("The boxes cannot be encoded as JSON: %1").arg(QString::fromUtf8(e.what()));
        return std::nullopt;
    }
}

std::optional<JSONData> decodeJSONData(const QByteArray& bytes, QString* error)
{
    try {
        const Json root = Json::parse(bytes.begin(), bytes.end());
        if (!root.is_object())
            wrongType(root, "(file)", "an object");
        JSONData data;
        data.imageName = readString(root, "imageName", "");
        data.imageIndex = readIndex(root, "imageIndex");
        const Json& shapes = member(root, "shapes", "");
        if (!shapes.is_array())
            wrongType(shapes, "shapes", "a list");
        data.shapes.reserve(shapes.size());
        for (size_t s = 0; s < shapes.size(); ++s) {
            const std::string where = at("shapes", s);
            if (!shapes[s].is_object())
                wrongType(shapes[s], where, "an object");
            ShapeData shape;
            shape.label = readString(shapes[s], "label", where);
            shape.bboxCoord = readPoints(shapes[s], where);
            data.shapes.push_back(std::move(shape));
        }
        return data;
    } catch (const Fault& fault) {
        if (error)
            *error = QString::fromStdString(fault.text);
    } catch (const Json::exception& e) {
        if (error)
            *error = QStringLiteral("not valid JSON: %1").arg(QString::fromUtf8(e.what()));
    }
    return std::nullopt;
}
