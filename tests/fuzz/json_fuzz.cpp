// The JSON box file reader under libFuzzer, against the former reader built on nlohmann's document:
// both take the same files into the same records and refuse the same files with the same reasons.
// What is read writes back to the bytes the former writer gives, and reads back to itself.
#include "model/JSONData.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace
{
using Json = nlohmann::ordered_json;

std::string join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }
std::string at(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

// The value, when it is of the kind wanted (ok); else the reason.
const Json& checked(const Json& value, bool ok, const std::string& where, const char* wanted)
{
    if (!ok)
        throw std::string("\"" + where + "\" is " + value.type_name() + ", not " + wanted);
    return value;
}

const Json& member(const Json& object, const char* key, const std::string& path)
{
    const auto it = object.find(key);
    if (it == object.end() || it->is_null())
        throw(it == object.end() ? "missing key \"" + join(path, key) + "\"" : "\"" + join(path, key) + "\" is null");
    return *it;
}

QString formerString(const Json& object, const char* key, const std::string& path)
{
    const Json& value = member(object, key, path);
    return QString::fromStdString(checked(value, value.is_string(), join(path, key), "a string").get<std::string>());
}

std::int64_t formerIndex(const Json& value)
{
    const std::string range = "\"imageIndex\" is not a whole number in the signed 64-bit range";
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::uint64_t(INT64_MAX))
        throw range;
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    checked(value, value.is_number_float(), "imageIndex", "a number");
    const double v = value.get<double>(), twoTo63 = 9223372036854775808.0;
    if (!std::isfinite(v) || std::trunc(v) != v || v <= -twoTo63 || v >= twoTo63)
        throw range;
    return std::int64_t(v);
}

std::optional<JSONData> formerDecode(const QByteArray& bytes, QString* error)
{
    try {
        const Json root = Json::parse(bytes.begin(), bytes.end());
        checked(root, root.is_object(), "(file)", "an object");
        JSONData data;
        data.imageName = formerString(root, "imageName", "");
        data.imageIndex = formerIndex(member(root, "imageIndex", ""));
        const Json& shapes = member(root, "shapes", "");
        checked(shapes, shapes.is_array(), "shapes", "a list");
        for (size_t s = 0; s < shapes.size(); ++s) {
            const std::string where = at("shapes", s);
            checked(shapes[s], shapes[s].is_object(), where, "an object");
            ShapeData& shape = data.shapes.emplace_back();
            shape.label = formerString(shapes[s], "label", where);
            const Json& points = member(shapes[s], "bboxCoord", where);
            const std::string coords = join(where, "bboxCoord");
            checked(points, points.is_array(), coords, "a list of points");
            for (size_t i = 0; i < points.size(); ++i) {
                checked(points[i], points[i].is_array(), at(coords, i), "a list of numbers");
                auto& numbers = shape.bboxCoord.emplace_back();
                for (size_t k = 0; const Json& n : points[i])
                    numbers.push_back(checked(n, n.is_number(), at(at(coords, i), k++), "a number").get<double>());
            }
        }
        return data;
    } catch (const std::string& fault) {
        *error = QString::fromStdString(fault);
    } catch (const Json::exception& e) {
        *error = QStringLiteral("not valid JSON: %1").arg(QString::fromUtf8(e.what()));
    }
    return std::nullopt;
}

QByteArray formerEncode(const JSONData& data)
{
    Json shapes = Json::array();
    for (const ShapeData& shape : data.shapes)
        shapes.push_back(Json { { "label", shape.label.toStdString() }, { "bboxCoord", shape.bboxCoord } });
    const Json root { { "imageName", data.imageName.toStdString() }, { "imageIndex", data.imageIndex },
        { "shapes", std::move(shapes) } };
    return QByteArray::fromStdString(root.dump()).replace("/", "\\/");
}

// Records are the same when the former writer gives the same bytes for both: its numbers read back
// to the same bits, so this compares every double bit for bit, -0.0 included.
bool same(const JSONData& a, const JSONData& b) { return formerEncode(a) == formerEncode(b); }

void check(bool ok, const char* what, const QString& detail)
{
    if (!ok)
        std::fprintf(stderr, "%s\n%s\n", what, qPrintable(detail)), std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, size_t size)
{
    const QByteArray file(reinterpret_cast<const char*>(bytes), qsizetype(size));
    QString reason, formerReason;
    const auto read = decodeJSONData(file, &reason);
    const auto former = formerDecode(file, &formerReason);
    check(bool(read) == bool(former) && reason == formerReason, "The readers disagree:",
        QStringLiteral("now: %1\nformer: %2").arg(read ? "read" : reason, former ? "read" : formerReason));
    if (!read)
        return 0;
    check(same(*read, *former), "The readers read different records.", {});
    const auto written = encodeJSONData(*read);
    check(written && *written == formerEncode(*read),
        "The writers disagree:", QString::fromUtf8(written.value_or("(nothing)") + "\n" + formerEncode(*read)));
    const auto again = decodeJSONData(*written);
    check(again && same(*again, *read), "What was written reads back otherwise:", QString::fromUtf8(*written));
    return 0;
}
