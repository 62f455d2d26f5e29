// XML: a document node with a parser (parseXML and the constructor's text), status codes,
// xmlDecl/docTypeDecl, ignoreWhite, idMap and the node factories. There is no network: load,
// send and sendAndLoad load nothing.
#include <algorithm>

#include "player/avm1/Builtins.h"
#include "player/avm1/LoadedText.h"
#include "player/avm1/XmlNode.h"

namespace kelmora::player::avm1 {

namespace {

// The player's parse status codes.
enum XmlStatus : int {
    kOk = 0,
    kCdataNotTerminated = -2,
    kDeclNotTerminated = -3,
    kDoctypeNotTerminated = -4,
    kCommentNotTerminated = -5,
    kMalformedElement = -6,
    kAttributeNotTerminated = -8,
    kMissingEndTag = -9,
    kEndTagWithoutStart = -10,
};

// Bounds the work one hostile start tag can make.
constexpr size_t kMaxAttributes = 100000;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Replaces the five named entities and numeric references; others are kept as written.
std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        if (s[i] != '&') {
            out += s[i++];
            continue;
        }
        size_t semi = s.find(';', i + 1);
        if (semi == std::string_view::npos || semi - i > 12) {
            out += s[i++];
            continue;
        }
        std::string_view name = s.substr(i + 1, semi - i - 1);
        std::string rep;
        if (name == "amp") rep = "&";
        else if (name == "lt") rep = "<";
        else if (name == "gt") rep = ">";
        else if (name == "quot") rep = "\"";
        else if (name == "apos") rep = "'";
        else if (name.size() > 1 && name[0] == '#') {
            bool hex = name[1] == 'x' || name[1] == 'X';
            std::string_view digits = name.substr(hex ? 2 : 1);
            uint32_t cp = 0;
            bool ok = !digits.empty();
            for (char c : digits) {
                int d = c >= '0' && c <= '9' ? c - '0'
                        : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
                if (d < 0 || cp > 0x10FFFF) { ok = false; break; }
                cp = cp * (hex ? 16 : 10) + static_cast<uint32_t>(d);
            }
            if (ok && cp > 0 && cp <= 0x10FFFF) {
                if (cp < 0x80) rep += static_cast<char>(cp);
                else if (cp < 0x800) { rep += static_cast<char>(0xC0 | (cp >> 6)); rep += static_cast<char>(0x80 | (cp & 0x3F)); }
                else if (cp < 0x10000) {
                    rep += static_cast<char>(0xE0 | (cp >> 12));
                    rep += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    rep += static_cast<char>(0x80 | (cp & 0x3F));
                } else {
                    rep += static_cast<char>(0xF0 | (cp >> 18));
                    rep += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
                    rep += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
                    rep += static_cast<char>(0x80 | (cp & 0x3F));
                }
            }
        }
        if (rep.empty()) {
            out += s[i++];
            continue;
        }
        out += rep;
        i = semi + 1;
    }
    return out;
}

struct Parser {
    Parser(Interpreter& i, Object* d, std::string_view text, bool white) : in(i), doc(d), s(text), ignoreWhite(white) {}

    Interpreter& in;
    Object* doc;
    std::string_view s;
    bool ignoreWhite;
    size_t pos = 0;
    std::vector<Object*> open;
    std::string xmlDecl, docType;
    bool sawDecl = false, sawDocType = false;

    Object* current() const { return open.empty() ? doc : open.back(); }

    void addText(std::string_view raw, bool cdata) {
        if (raw.empty()) return;
        if (ignoreWhite && std::all_of(raw.begin(), raw.end(), isBlank)) return;
        std::string text = cdata ? std::string(raw) : unescape(raw);
        xmlInsert(in, current(), newXmlNode(in, XmlNodeType::Text, Value(text)), nullptr);
    }

    // Attributes and the end of a start tag; returns the status, or 1 for "/>", 2 for ">".
    int tagRest(Object* node) {
        XmlNodeState* st = xmlNode(node);
        // Set last to first, so that enumerating the attributes gives them in the order written.
        std::vector<std::pair<std::string_view, std::string>> found;
        auto finish = [&](int status) {
            for (auto it = found.rbegin(); it != found.rend(); ++it) st->attributes->setOwn(it->first, Value(it->second));
            return status;
        };
        for (;;) {
            while (pos < s.size() && isBlank(s[pos])) ++pos;
            if (pos >= s.size()) return finish(kMalformedElement);
            if (s[pos] == '>') { ++pos; return finish(2); }
            if (s[pos] == '/') {
                if (pos + 1 < s.size() && s[pos + 1] == '>') { pos += 2; return finish(1); }
                return finish(kMalformedElement);
            }
            size_t nameStart = pos;
            while (pos < s.size() && !isBlank(s[pos]) && s[pos] != '=' && s[pos] != '>' && s[pos] != '/') ++pos;
            std::string_view name = s.substr(nameStart, pos - nameStart);
            while (pos < s.size() && isBlank(s[pos])) ++pos;
            if (name.empty() || pos >= s.size() || s[pos] != '=') return finish(kMalformedElement);
            ++pos;
            while (pos < s.size() && isBlank(s[pos])) ++pos;
            if (pos >= s.size() || (s[pos] != '"' && s[pos] != '\'')) return finish(kMalformedElement);
            char quote = s[pos++];
            size_t end = s.find(quote, pos);
            if (end == std::string_view::npos) return finish(kAttributeNotTerminated);
            // The first of repeated attributes wins.
            bool repeated = std::any_of(found.begin(), found.end(), [&](const auto& f) { return f.first == name; });
            if (!repeated && found.size() < kMaxAttributes) found.emplace_back(name, unescape(s.substr(pos, end - pos)));
            pos = end + 1;
        }
    }

    int run() {
        while (pos < s.size()) {
            size_t lt = s.find('<', pos);
            if (lt == std::string_view::npos) lt = s.size();
            addText(s.substr(pos, lt - pos), false);
            pos = lt;
            if (pos >= s.size()) break;
            std::string_view rest = s.substr(pos);
            if (rest.starts_with("<!--")) {
                size_t end = s.find("-->", pos + 4);
                if (end == std::string_view::npos) return kCommentNotTerminated;
                pos = end + 3;
            } else if (rest.starts_with("<![CDATA[")) {
                size_t end = s.find("]]>", pos + 9);
                if (end == std::string_view::npos) return kCdataNotTerminated;
                std::string_view body = s.substr(pos + 9, end - pos - 9);
                if (!body.empty()) xmlInsert(in, current(), newXmlNode(in, XmlNodeType::Text, Value(body)), nullptr);
                pos = end + 3;
            } else if (rest.starts_with("<?")) {
                size_t end = s.find("?>", pos + 2);
                if (end == std::string_view::npos) return kDeclNotTerminated;
                xmlDecl += s.substr(pos, end + 2 - pos);
                sawDecl = true;
                pos = end + 2;
            } else if (rest.starts_with("<!")) {
                size_t end = s.find('>', pos + 2);
                if (end == std::string_view::npos) return kDoctypeNotTerminated;
                docType = s.substr(pos, end + 1 - pos);
                sawDocType = true;
                pos = end + 1;
            } else if (rest.starts_with("</")) {
                size_t end = s.find('>', pos + 2);
                if (end == std::string_view::npos) return kMalformedElement;
                std::string_view name = s.substr(pos + 2, end - pos - 2);
                while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
                if (open.empty()) return kEndTagWithoutStart;
                XmlNodeState* top = xmlNode(open.back());
                if (!top->name.isString() || top->name.string() != name) return kMissingEndTag;
                open.pop_back();
                pos = end + 1;
            } else {
                size_t nameStart = pos + 1;
                size_t p = nameStart;
                while (p < s.size() && !isBlank(s[p]) && s[p] != '>' && s[p] != '/') ++p;
                if (p == nameStart) return kMalformedElement;
                Object* node = newXmlNode(in, XmlNodeType::Element, Value(s.substr(nameStart, p - nameStart)));
                xmlInsert(in, current(), node, nullptr);
                pos = p;
                int r = tagRest(node);
                if (r < 0) return r;
                noteId(node);
                if (r == 2) {
                    if (open.size() >= 10000) return kMalformedElement;
                    open.push_back(node);
                }
            }
            if (in.aborted()) return kOk;
        }
        return open.empty() ? kOk : kMissingEndTag;
    }

    // Elements with an id attribute are listed in the document's idMap.
    void noteId(Object* node) {
        if (in.swfVersion() < 8) return;
        Property* id = xmlNode(node)->attributes->findOwn("id");
        if (!id) return;
        Value map = in.getMember(doc, "idMap");
        if (Object* m = map.object()) in.setMember(m, in.toString(id->value), Value(node));
    }
};

void parseInto(Interpreter& in, Object* doc, const std::string& text) {
    XmlNodeState* st = xmlNode(doc);
    if (!st) return;
    while (!st->children.empty()) xmlRemove(in, st->children.back());
    Parser p(in, doc, text, in.toBoolean(in.getMember(doc, "ignoreWhite")));
    int status = p.run();
    in.setMember(doc, "status", Value(static_cast<double>(status)));
    if (p.sawDecl) in.setMember(doc, "xmlDecl", Value(p.xmlDecl));
    if (p.sawDocType) in.setMember(doc, "docTypeDecl", Value(p.docType));
}

Value xmlCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o) return Value();
    makeXmlNode(in, o, XmlNodeType::Element, Value::null());
    if (in.swfVersion() >= 8) o->define("idMap", Value(in.newObject()), kDontEnum);
    if (!args.empty() && !args[0].isNullish()) parseInto(in, o, in.toString(args[0]));
    return Value();
}

Value parseXml(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (Object* o = self.object(); xmlNode(o)) parseInto(in, o, in.toString(arg(args, 0)));
    return Value();
}

Value createElement(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(newXmlNode(in, XmlNodeType::Element, arg(args, 0)));
}

Value createTextNode(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(newXmlNode(in, XmlNodeType::Text, arg(args, 0)));
}

Value xmlToStringMethod(Interpreter& in, const Value& self, std::span<const Value>) {
    Object* o = self.object();
    if (!xmlNode(o)) return Value("[object Object]");
    std::string out;
    for (const char* decl : {"xmlDecl", "docTypeDecl"}) {
        Value d = in.getMember(o, decl);
        if (!d.isNullish()) out += in.toString(d);
    }
    return Value(out + xmlToString(in, o));
}

// onData's default: parse the text and tell onLoad, or report a failed load.
Value onDataDefault(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (arg(args, 0).isUndefined()) {
        Value f[] = {Value(false)};
        in.callMethodOf(self, "onLoad", f);
        return Value();
    }
    if (Object* o = self.object()) {
        parseInto(in, o, in.toString(args[0]));
        in.setMember(o, "loaded", Value(true));
        Value t[] = {Value(true)};
        in.callMethodOf(self, "onLoad", t);
    }
    return Value();
}

// Loads a local file beside the movie with the next frame; its text reaches onData.
bool startLoad(Interpreter& in, Object* into, const Value& url) {
    if (!into || url.isUndefined()) return false;
    in.setMember(into, "loaded", Value(false));
    requestLoadedText(in, into, in.toString(url));
    return true;
}

Value load(Interpreter& in, const Value& self, std::span<const Value> args) {
    return Value(startLoad(in, self.object(), arg(args, 0)));
}

Value sendAndLoad(Interpreter& in, const Value&, std::span<const Value> args) {
    return Value(startLoad(in, arg(args, 1).object(), arg(args, 0)));
}

// Nothing is ever sent.
Value send(Interpreter&, const Value&, std::span<const Value>) { return Value(false); }

Value bytesLoaded(Interpreter& in, const Value& self, std::span<const Value>) {
    Value v = in.getMember(self, "_bytesLoaded");
    return v.isUndefined() ? Value(0.0) : v;
}

Value bytesTotal(Interpreter& in, const Value& self, std::span<const Value>) {
    Value v = in.getMember(self, "_bytesTotal");
    return v.isUndefined() ? Value(0.0) : v;
}

Value noop(Interpreter&, const Value&, std::span<const Value>) { return Value(); }

}  // namespace

void installXmlClass(Interpreter& in) {
    Object* proto = in.newObject(in.classPrototypes["XMLNode"]);
    in.classPrototypes["XML"] = proto;
    in.makeClass(in.global(), "XML", xmlCtor, proto);
    in.method(proto, "parseXML", parseXml);
    in.method(proto, "createElement", createElement);
    in.method(proto, "createTextNode", createTextNode);
    in.method(proto, "toString", xmlToStringMethod);
    in.method(proto, "onData", onDataDefault);
    in.method(proto, "onLoad", noop);
    in.method(proto, "load", load);
    in.method(proto, "sendAndLoad", sendAndLoad);
    in.method(proto, "send", send);
    in.method(proto, "addRequestHeader", noop);
    in.method(proto, "getBytesLoaded", bytesLoaded);
    in.method(proto, "getBytesTotal", bytesTotal);
    proto->define("contentType", Value("application/x-www-form-urlencoded"), kDontEnum);
    proto->define("ignoreWhite", Value(false), kDontEnum);
    proto->define("loaded", Value(), kDontEnum);
    proto->define("status", Value(0.0), kDontEnum);
    proto->define("xmlDecl", Value(), kDontEnum);
    proto->define("docTypeDecl", Value(), kDontEnum);
}

}  // namespace kelmora::player::avm1
