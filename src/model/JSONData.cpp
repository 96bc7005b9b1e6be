#include "model/JSONData.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace
{
// Writing.

char* escaped(char* p, unsigned char c)
{
    static constexpr char hex[] = "0123456789abcdef";
    const char* pair = nullptr;
    switch (c) {
    case '"':
        pair = "\\\"";
        break;
    case '\\':
        pair = "\\\\";
        break;
    case '/':
        pair = "\\/";
        break;
    case '\b':
        pair = "\\b";
        break;
    case '\f':
        pair = "\\f";
        break;
    case '\n':
        pair = "\\n";
        break;
    case '\r':
        pair = "\\r";
        break;
    case '\t':
        pair = "\\t";
        break;
    default:
        if (c >= 0x20) {
            *p = char(c);
            return p + 1;
        }
        std::memcpy(p, "\\u00", 4);
        p[4] = hex[c >> 4];
        p[5] = hex[c & 15];
        return p + 6;
    }
    std::memcpy(p, pair, 2);
    return p + 2;
}

// Reading.

enum class Type : unsigned char { Missing, Null, Boolean, Number, String, Array, Object };

const char* typeName(Type type)
{
    static constexpr const char* names[] { "missing", "null", "boolean", "number", "string", "array", "object" };
    return names[int(type)];
}

// What a value stands for, from where it lies in the file.
enum class Role : unsigned char { Skip, Root, ImageName, ImageIndex, Shapes, Shape, Label, Points, Point, Number };

std::string at(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

// The fault of a required value that is missing, null or of another type; empty when it is fine.
std::string slotFault(Type type, Type wanted, const std::string& where, const char* wantedName)
{
    if (type == Type::Missing)
        return "missing key \"" + where + "\"";
    if (type == Type::Null)
        return "\"" + where + "\" is null";
    if (type != wanted)
        return "\"" + where + "\" is " + typeName(type) + ", not " + wantedName;
    return {};
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A number token read as strtod would, whatever the locale. Not finite when it overflows.
double toDouble(const char* first, const char* last)
{
    double value = 0;
    if (std::from_chars(first, last, value).ec == std::errc())
        return value;
    // Out of range: an overflow, or an underflow that strtod answers with the nearest value.
    static const locale_t c = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    const std::string text(first, last);
    return strtod_l(text.c_str(), nullptr, c);
}

// Reports a malformed file the way the former reader did, word for word.
struct ErrorOnlySax : nlohmann::json::json_sax_t {
    std::string message;
    bool null() override { return true; }
    bool boolean(bool) override { return true; }
    bool number_integer(number_integer_t) override { return true; }
    bool number_unsigned(number_unsigned_t) override { return true; }
    bool number_float(number_float_t, const string_t&) override { return true; }
    bool string(string_t&) override { return true; }
    bool binary(binary_t&) override { return true; }
    bool start_object(std::size_t) override { return true; }
    bool key(string_t&) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& e) override
    {
        message = e.what();
        return false;
    }
};

// One pass over the bytes, without recursion, straight into the records. Every value is checked for
// the type its place asks for. Faults are kept per field, so that a repeated key counts by its last
// value, and are reported once the whole text is known to be JSON: broken JSON is reported first.
class Reader
{
public:
    Reader(const char* begin, const char* end)
        : p(begin)
        , end(end)
    {
    }

    bool parse();
    std::string fault() const;
    JSONData data;

private:
    struct Frame {
        Role role; // of the object or array itself
        bool object;
        size_t count = 0; // elements begun
    };

    void ws()
    {
        while (p != end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t'))
            ++p;
    }
    bool string(bool keep);
    bool number();
    bool literal(const char* word, size_t size);
    bool key(Role& role);
    Role element();
    void scalar(Role role, Type type);
    void open(Role role, bool object);
    void close();
    std::string pointsPath() const { return at("shapes", frames[1].count - 1) + ".bboxCoord"; }

    const char* p;
    const char* end;
    std::vector<Frame> frames;

    // The last key, string or number read.
    std::string_view text;
    std::string unescaped;
    double value = 0;
    bool integral = false;

    Type rootType = Type::Missing, nameType = Type::Missing, indexType = Type::Missing, shapesType = Type::Missing;
    std::string indexFault, shapesFault;
    // The shape being read.
    ShapeData shape;
    Type labelType = Type::Missing, pointsType = Type::Missing;
    std::string pointsFault;
};

bool Reader::parse()
{
    if (p != end && static_cast<unsigned char>(*p) == 0xEF) {
        if (end - p < 3 || static_cast<unsigned char>(p[1]) != 0xBB || static_cast<unsigned char>(p[2]) != 0xBF)
            return false;
        p += 3;
    }
    Role role = Role::Root;
    for (;;) {
        ws();
        if (p == end)
            return false;
        const char c = *p;
        if (c == '{' || c == '[') {
            ++p;
            const bool object = c == '{';
            open(role, object);
            ws();
            if (p == end || *p != (object ? '}' : ']')) {
                if (!object)
                    role = element();
                else if (!key(role))
                    return false;
                continue;
            }
            ++p;
            close();
        } else if (c == '"') {
            if (!string(role == Role::ImageName || role == Role::Label))
                return false;
            scalar(role, Type::String);
        } else if (c == 't' || c == 'f' || c == 'n') {
            if (!(c == 't' ? literal("true", 4) : c == 'f' ? literal("false", 5) : literal("null", 4)))
                return false;
            scalar(role, c == 'n' ? Type::Null : Type::Boolean);
        } else {
            if (!number())
                return false;
            scalar(role, Type::Number);
        }
        // A value is complete: close what it completes, then go on to the next one.
        for (;;) {
            ws();
            // The former reader took a NUL byte where a token could begin for the end of the text.
            if (frames.empty())
                return p == end || *p == '\0';
            if (p == end)
                return false;
            const bool object = frames.back().object;
            if (*p == ',') {
                ++p;
                if (!object)
                    role = element();
                else if (ws(), !key(role))
                    return false;
                break;
            }
            if (*p != (object ? '}' : ']'))
                return false;
            ++p;
            close();
        }
    }
}

// Reads a key and its colon; role becomes what its value stands for.
bool Reader::key(Role& role)
{
    if (p == end || *p != '"' || !string(true))
        return false;
    ws();
    if (p == end || *p != ':')
        return false;
    ++p;
    const Role owner = frames.back().role;
    role = Role::Skip;
    if (owner == Role::Root) {
        if (text == "imageName")
            role = Role::ImageName;
        else if (text == "imageIndex")
            role = Role::ImageIndex;
        else if (text == "shapes")
            role = Role::Shapes;
    } else if (owner == Role::Shape) {
        if (text == "label")
            role = Role::Label;
        else if (text == "bboxCoord")
            role = Role::Points;
    }
    return true;
}

// Begins the next element of the current array: what it stands for.
Role Reader::element()
{
    Frame& frame = frames.back();
    ++frame.count;
    switch (frame.role) {
    case Role::Shapes:
        return Role::Shape;
    case Role::Points:
        return Role::Point;
    case Role::Point:
        return Role::Number;
    default:
        return Role::Skip;
    }
}

// Reads a string at p (on its opening quote). With keep, text holds its UTF-8 content afterwards.
bool Reader::string(bool keep)
{
    const char* start = ++p;
    // The common case: nothing to unescape, nothing beyond ASCII.
    while (p != end && *p != '"' && *p != '\\' && static_cast<unsigned char>(*p) >= 0x20
        && static_cast<unsigned char>(*p) < 0x80)
        ++p;
    if (p != end && *p == '"') {
        text = std::string_view(start, size_t(p - start));
        ++p;
        return true;
    }
    if (keep)
        unescaped.assign(start, size_t(p - start));
    auto put = [&](unsigned code) {
        if (!keep)
            return;
        if (code < 0x80) {
            unescaped += char(code);
        } else if (code < 0x800) {
            unescaped += char(0xC0 | (code >> 6));
            unescaped += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            unescaped += char(0xE0 | (code >> 12));
            unescaped += char(0x80 | ((code >> 6) & 0x3F));
            unescaped += char(0x80 | (code & 0x3F));
        } else {
            unescaped += char(0xF0 | (code >> 18));
            unescaped += char(0x80 | ((code >> 12) & 0x3F));
            unescaped += char(0x80 | ((code >> 6) & 0x3F));
            unescaped += char(0x80 | (code & 0x3F));
        }
    };
    auto hex4 = [&](unsigned& code) {
        if (end - p < 4)
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = *p++;
            const int digit = isDigit(c) ? c - '0'
                : c >= 'a' && c <= 'f'   ? c - 'a' + 10
                : c >= 'A' && c <= 'F'   ? c - 'A' + 10
                                         : -1;
            if (digit < 0)
                return false;
            code = code * 16 + unsigned(digit);
        }
        return true;
    };
    while (p != end) {
        const auto c = static_cast<unsigned char>(*p);
        if (c == '"') {
            if (keep)
                text = unescaped;
            ++p;
            return true;
        }
        if (c < 0x20)
            return false;
        if (c < 0x80 && c != '\\') {
            if (keep)
                unescaped += char(c);
            ++p;
            continue;
        }
        if (c == '\\') {
            if (++p == end)
                return false;
            unsigned code = 0;
            switch (*p++) {
            case '"':
                put('"');
                break;
            case '\\':
                put('\\');
                break;
            case '/':
                put('/');
                break;
            case 'b':
                put('\b');
                break;
            case 'f':
                put('\f');
                break;
            case 'n':
                put('\n');
                break;
            case 'r':
                put('\r');
                break;
            case 't':
                put('\t');
                break;
            case 'u':
                if (!hex4(code) || (code >= 0xDC00 && code <= 0xDFFF))
                    return false;
                if (code >= 0xD800 && code <= 0xDBFF) {
                    unsigned low = 0;
                    if (end - p < 2 || p[0] != '\\' || p[1] != 'u')
                        return false;
                    p += 2;
                    if (!hex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                put(code);
                break;
            default:
                return false;
            }
            continue;
        }
        // Well-formed UTF-8 only: no overlong forms, no surrogates, nothing beyond U+10FFFF.
        int more = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        }
        if (more == 0 || end - p <= more)
            return false;
        for (int i = 1; i <= more; ++i) {
            const auto b = static_cast<unsigned char>(p[i]);
            if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF))
                return false;
        }
        if (keep)
            unescaped.append(p, size_t(more + 1));
        p += more + 1;
    }
    return false;
}

bool Reader::number()
{
    const char* start = p;
    if (p != end && *p == '-')
        ++p;
    if (p == end || !isDigit(*p))
        return false;
    if (*p++ != '0')
        while (p != end && isDigit(*p))
            ++p;
    integral = true;
    if (p != end && *p == '.') {
        integral = false;
        if (++p == end || !isDigit(*p))
            return false;
        while (p != end && isDigit(*p))
            ++p;
    }
    if (p != end && (*p == 'e' || *p == 'E')) {
        integral = false;
        if (++p != end && (*p == '+' || *p == '-'))
            ++p;
        if (p == end || !isDigit(*p))
            return false;
        while (p != end && isDigit(*p))
            ++p;
    }
    text = std::string_view(start, size_t(p - start));
    value = toDouble(start, p);
    // A number too large for a double is malformed JSON to the former reader.
    return std::isfinite(value);
}

bool Reader::literal(const char* word, size_t size)
{
    if (size_t(end - p) < size || std::memcmp(p, word, size) != 0)
        return false;
    p += size;
    return true;
}

void Reader::open(Role role, bool object)
{
    const Type type = object ? Type::Object : Type::Array;
    const bool wanted = role == Role::Root || (role == Role::Shapes && !object) || (role == Role::Shape && object)
        || (role == Role::Points && !object) || (role == Role::Point && !object);
    scalar(role, type);
    if (role == Role::Shape && object) {
        shape = {};
        labelType = pointsType = Type::Missing;
        pointsFault.clear();
    } else if (role == Role::Point && !object) {
        shape.bboxCoord.emplace_back().reserve(2);
    }
    frames.push_back({ wanted && rootType == Type::Object ? role : Role::Skip, object });
}

void Reader::close()
{
    const Role role = frames.back().role;
    frames.pop_back();
    if (role != Role::Shape || !shapesFault.empty())
        return;
    if (labelType == Type::String && pointsType == Type::Array && pointsFault.empty()) {
        data.shapes.push_back(std::move(shape));
        return;
    }
    const std::string where = at("shapes", frames.back().count - 1);
    shapesFault = slotFault(labelType, Type::String, where + ".label", "a string");
    if (shapesFault.empty())
        shapesFault = slotFault(pointsType, Type::Array, where + ".bboxCoord", "a list of points");
    if (shapesFault.empty())
        shapesFault = pointsFault;
}

// Takes a value of a type in its place; containers are taken here as they open.
void Reader::scalar(Role role, Type type)
{
    switch (role) {
    case Role::Root:
        rootType = type;
        break;
    case Role::ImageName:
        nameType = type;
        if (type == Type::String)
            data.imageName = QString::fromUtf8(text.data(), qsizetype(text.size()));
        break;
    case Role::ImageIndex:
        indexType = type;
        indexFault.clear();
        if (type != Type::Number)
            break;
        if (integral) {
            // The text of an integer is taken exactly, as the former reader did; beyond the range it is
            // refused, whatever it is taken for.
            if (std::from_chars(text.data(), text.data() + text.size(), data.imageIndex).ec != std::errc())
                indexFault = "\"imageIndex\" is not a whole number in the signed 64-bit range";
        } else {
            // A float of exactly -2^63 may stand for a text beyond the range, so it is refused too.
            constexpr double twoTo63 = 9223372036854775808.0;
            if (std::trunc(value) == value && value > -twoTo63 && value < twoTo63)
                data.imageIndex = std::int64_t(value);
            else
                indexFault = "\"imageIndex\" is not a whole number in the signed 64-bit range";
        }
        break;
    case Role::Shapes:
        shapesType = type;
        shapesFault.clear();
        data.shapes.clear();
        break;
    case Role::Shape:
        if (type != Type::Object && shapesFault.empty())
            shapesFault = "\"" + at("shapes", frames.back().count - 1) + "\" is " + typeName(type) + ", not an object";
        break;
    case Role::Label:
        labelType = type;
        if (type == Type::String)
            shape.label = QString::fromUtf8(text.data(), qsizetype(text.size()));
        break;
    case Role::Points:
        pointsType = type;
        pointsFault.clear();
        shape.bboxCoord.clear();
        shape.bboxCoord.reserve(2);
        break;
    case Role::Point:
        if (type != Type::Array && pointsFault.empty())
            pointsFault = "\"" + at(pointsPath(), frames.back().count - 1) + "\" is " + typeName(type)
                + ", not a list of numbers";
        break;
    case Role::Number:
        if (type == Type::Number) {
            // The former reader took "-0" for the integer 0.
            shape.bboxCoord.back().push_back(integral && value == 0 ? 0.0 : value);
        } else if (pointsFault.empty()) {
            pointsFault = "\"" + at(at(pointsPath(), frames[frames.size() - 2].count - 1), frames.back().count - 1)
                + "\" is " + typeName(type) + ", not a number";
        }
        break;
    case Role::Skip:
        break;
    }
}

std::string Reader::fault() const
{
    if (rootType != Type::Object)
        return std::string("\"(file)\" is ") + typeName(rootType) + ", not an object";
    std::string fault = slotFault(nameType, Type::String, "imageName", "a string");
    if (fault.empty())
        fault = slotFault(indexType, Type::Number, "imageIndex", "a number");
    if (fault.empty())
        fault = indexFault;
    if (fault.empty())
        fault = slotFault(shapesType, Type::Array, "shapes", "a list");
    if (fault.empty())
        fault = shapesFault;
    return fault;
}
} // namespace

JSONBoxWriter::JSONBoxWriter(const QString& imageName, std::int64_t imageIndex, size_t expectedShapes)
{
    buffer.resize(qsizetype(256 + expectedShapes * 100));
    append(R"({"imageName":)", 13);
    appendString(imageName);
    append(R"(,"imageIndex":)", 14);
    char* p = room(24);
    used += size_t(std::to_chars(p, p + 24, imageIndex).ptr - p);
    append(R"(,"shapes":[)", 11);
}

char* JSONBoxWriter::room(size_t bytes)
{
    if (used + bytes > size_t(buffer.size()))
        buffer.resize(qsizetype(std::max(used + bytes, size_t(buffer.size()) * 2)));
    return buffer.data() + used;
}

void JSONBoxWriter::append(const char* text, size_t size)
{
    std::memcpy(room(size), text, size);
    used += size;
}

void JSONBoxWriter::appendString(const QString& text)
{
    char* const start = room(size_t(text.size()) * 6 + 2);
    char* p = start;
    *p++ = '"';
    for (const QChar c : text) {
        if (c.unicode() >= 0x80) {
            // Beyond ASCII: Qt's own UTF-8, as the file has always had it.
            const QByteArray utf8 = text.toUtf8();
            p = room(size_t(utf8.size()) * 6 + 2);
            *p++ = '"';
            for (const char b : utf8)
                p = escaped(p, static_cast<unsigned char>(b));
            *p++ = '"';
            used = size_t(p - buffer.data());
            return;
        }
        p = escaped(p, static_cast<unsigned char>(c.unicode()));
    }
    *p++ = '"';
    used += size_t(p - start);
}

void JSONBoxWriter::beginShape(const QString& label)
{
    if (!fault.isEmpty())
        return;
    if (shapeCount++ > 0)
        append(",", 1);
    append(R"({"label":)", 9);
    appendString(label);
    append(R"(,"bboxCoord":[)", 14);
    firstPoint = true;
    currentLabel = label;
}

void JSONBoxWriter::addPoint(std::span<const double> numbers)
{
    if (!fault.isEmpty())
        return;
    char* p = room(numbers.size() * 26 + 3);
    if (!firstPoint)
        *p++ = ',';
    firstPoint = false;
    *p++ = '[';
    for (size_t k = 0; k < numbers.size(); ++k) {
        const double v = numbers[k];
        if (!std::isfinite(v)) {
            fault = QStringLiteral("Box %1 (\"%2\") has a coordinate that is not a finite number (%3).")
                        .arg(shapeCount)
                        .arg(currentLabel)
                        .arg(v);
            return;
        }
        if (k > 0)
            *p++ = ',';
        // nlohmann's shortest form: the digits the file has always had.
        p = nlohmann::detail::to_chars(p, p + 25, v);
    }
    *p++ = ']';
    used = size_t(p - buffer.data());
}

void JSONBoxWriter::endShape()
{
    if (fault.isEmpty())
        append("]}", 2);
}

std::optional<QByteArray> JSONBoxWriter::finish(QString* error)
{
    if (!fault.isEmpty()) {
        if (error)
            *error = fault;
        return std::nullopt;
    }
    append("]}", 2);
    buffer.resize(qsizetype(used));
    return std::move(buffer);
}

std::optional<QByteArray> encodeJSONData(const JSONData& data, QString* error)
{
    JSONBoxWriter writer(data.imageName, data.imageIndex, data.shapes.size());
    for (const ShapeData& shape : data.shapes) {
        writer.beginShape(shape.label);
        for (const auto& point : shape.bboxCoord)
            writer.addPoint(point);
        writer.endShape();
    }
    return writer.finish(error);
}

std::optional<JSONData> decodeJSONData(const QByteArray& bytes, QString* error)
{
    Reader reader(bytes.constData(), bytes.constData() + bytes.size());
    std::string fault;
    if (!reader.parse()) {
        ErrorOnlySax sax;
        nlohmann::json::sax_parse(bytes.begin(), bytes.end(), &sax);
        fault = "not valid JSON: " + (sax.message.empty() ? std::string("malformed") : sax.message);
    } else {
        fault = reader.fault();
        if (fault.empty())
            return std::move(reader.data);
    }
    if (error)
        *error = QString::fromStdString(fault);
    return std::nullopt;
}
