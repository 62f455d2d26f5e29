// XMLNode: the node tree (appendChild, insertBefore, removeNode, cloneNode), its read-only
// navigation properties and its text form.
#include <algorithm>

#include "player/avm1/Builtins.h"
#include "player/avm1/XmlNode.h"

namespace kelmora::player::avm1 {

XmlNodeState* xmlNode(Object* o) { return o ? dynamic_cast<XmlNodeState*>(o->state.get()) : nullptr; }
XmlNodeState* xmlNode(const Value& v) { return xmlNode(v.object()); }

XmlNodeState& makeXmlNode(Interpreter& in, Object* node, XmlNodeType type, const Value& nameOrValue) {
    auto state = std::make_unique<XmlNodeState>();
    state->type = type;
    state->name = Value::null();
    state->value = Value::null();
    if (type == XmlNodeType::Element) {
        if (!nameOrValue.isNullish()) state->name = Value(in.toString(nameOrValue));
    } else if (!nameOrValue.isNullish()) {
        state->value = Value(in.toString(nameOrValue));
    }
    state->attributes = in.newObject();
    state->childArray = in.newArray();
    XmlNodeState& ref = *state;
    node->state = std::move(state);
    return ref;
}

Object* newXmlNode(Interpreter& in, XmlNodeType type, const Value& nameOrValue) {
    // Nodes take the prototype XMLNode has now, which scripts may have replaced.
    Object* proto = nullptr;
    if (Property* ctor = in.global()->findOwn("XMLNode"); ctor && ctor->value.isObject())
        if (Property* p = ctor->value.object()->findOwn("prototype"); p && p->value.isObject()) proto = p->value.object();
    if (!proto) {
        auto it = in.classPrototypes.find("XMLNode");
        if (it != in.classPrototypes.end()) proto = it->second;
    }
    Object* node = in.newObject(proto);
    makeXmlNode(in, node, type, nameOrValue);
    return node;
}

namespace {

void rebuildChildArray(Interpreter& in, XmlNodeState& s) {
    Object* a = s.childArray;
    for (uint32_t i = 0; i < a->arrayLength; ++i) a->removeOwn(std::to_string(i));
    for (size_t i = 0; i < s.children.size(); ++i) a->setOwn(std::to_string(i), Value(s.children[i]));
    a->arrayLength = static_cast<uint32_t>(s.children.size());
    (void)in;
}

Object* sibling(Object* node, int step) {
    XmlNodeState* s = xmlNode(node);
    XmlNodeState* p = s ? xmlNode(s->parent) : nullptr;
    if (!p) return nullptr;
    auto it = std::find(p->children.begin(), p->children.end(), node);
    if (it == p->children.end()) return nullptr;
    auto i = (it - p->children.begin()) + step;
    if (i < 0 || i >= static_cast<std::ptrdiff_t>(p->children.size())) return nullptr;
    return p->children[static_cast<size_t>(i)];
}

Value nodeOrNull(Object* o) { return o ? Value(o) : Value::null(); }

Value getNodeType(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? Value(static_cast<double>(static_cast<int>(s->type))) : Value();
}
Value getNodeName(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? s->name : Value();
}
Value setNodeName(Interpreter& in, const Value& self, std::span<const Value> args) {
    // Setting undefined leaves the name as it was; null makes an element a nameless one.
    if (arg(args, 0).isUndefined()) return Value();
    if (XmlNodeState* s = xmlNode(self)) s->name = args[0].isNull() ? Value::null() : Value(in.toString(args[0]));
    return Value();
}
Value getNodeValue(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? s->value : Value();
}
Value setNodeValue(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (XmlNodeState* s = xmlNode(self)) s->value = arg(args, 0).isNullish() ? Value::null() : Value(in.toString(args[0]));
    return Value();
}
Value getAttributes(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? Value(s->attributes) : Value();
}
Value setAttributes(Interpreter&, const Value& self, std::span<const Value> args) {
    XmlNodeState* s = xmlNode(self);
    if (s && arg(args, 0).object()) s->attributes = args[0].object();
    return Value();
}
Value getChildNodes(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? Value(s->childArray) : Value();
}
Value getFirstChild(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    if (!s) return Value();
    return nodeOrNull(s->children.empty() ? nullptr : s->children.front());
}
Value getLastChild(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    if (!s) return Value();
    return nodeOrNull(s->children.empty() ? nullptr : s->children.back());
}
Value getNextSibling(Interpreter&, const Value& self, std::span<const Value>) {
    return xmlNode(self) ? nodeOrNull(sibling(self.object(), 1)) : Value();
}
Value getPreviousSibling(Interpreter&, const Value& self, std::span<const Value>) {
    return xmlNode(self) ? nodeOrNull(sibling(self.object(), -1)) : Value();
}
Value getParentNode(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? nodeOrNull(s->parent) : Value();
}

// "ns:local" splits into prefix and local name.
Value getPrefix(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    if (!s || !s->name.isString()) return s ? Value::null() : Value();
    const std::string& n = s->name.string();
    auto colon = n.find(':');
    return Value(colon == std::string::npos ? std::string() : n.substr(0, colon));
}
Value getLocalName(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    if (!s || !s->name.isString()) return s ? Value::null() : Value();
    const std::string& n = s->name.string();
    auto colon = n.find(':');
    return Value(colon == std::string::npos ? n : n.substr(colon + 1));
}

// The namespace a prefix stands for: the nearest xmlns or xmlns:prefix attribute up the tree.
Value namespaceForPrefix(Interpreter& in, Object* node, const std::string& prefix) {
    std::string attr = prefix.empty() ? "xmlns" : "xmlns:" + prefix;
    for (int d = 0; node && d < 10000; ++d) {
        XmlNodeState* s = xmlNode(node);
        if (!s) break;
        if (Property* p = s->attributes->findOwn(attr)) return Value(in.toString(p->value));
        node = s->parent;
    }
    return Value::null();
}
Value getNamespaceUri(Interpreter& in, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    if (!s || s->type != XmlNodeType::Element || !s->name.isString()) return s ? Value::null() : Value();
    const std::string& n = s->name.string();
    auto colon = n.find(':');
    Value ns = namespaceForPrefix(in, self.object(), colon == std::string::npos ? std::string() : n.substr(0, colon));
    return ns.isNull() ? Value("") : ns;
}
Value getNamespaceForPrefix(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!xmlNode(self)) return Value();
    return namespaceForPrefix(in, self.object(), in.toString(arg(args, 0)));
}
Value getPrefixForNamespace(Interpreter& in, const Value& self, std::span<const Value> args) {
    std::string uri = in.toString(arg(args, 0));
    Object* node = self.object();
    for (int d = 0; node && d < 10000; ++d) {
        XmlNodeState* s = xmlNode(node);
        if (!s) break;
        for (const Property& p : s->attributes->rawProperties()) {
            if (p.deleted || in.toString(p.value) != uri) continue;
            if (p.name == "xmlns") return Value("");
            if (p.name.rfind("xmlns:", 0) == 0) return Value(p.name.substr(6));
        }
        node = s->parent;
    }
    return Value::null();
}

Value xmlNodeCtor(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* o = self.object();
    if (!o || args.size() < 2) return Value();
    double type = in.toNumber(args[0]);
    makeXmlNode(in, o, type == 3 ? XmlNodeType::Text : XmlNodeType::Element, args[1]);
    return Value();
}

Value appendChild(Interpreter& in, const Value& self, std::span<const Value> args) {
    Object* child = arg(args, 0).object();
    // A node that is already this node's child stays where it is.
    if (xmlNode(self) && xmlNode(child) && xmlNode(child)->parent != self.object())
        xmlInsert(in, self.object(), child, nullptr);
    return Value();
}

Value insertBefore(Interpreter& in, const Value& self, std::span<const Value> args) {
    XmlNodeState* s = xmlNode(self);
    Object* child = arg(args, 0).object();
    Object* before = arg(args, 1).object();
    if (!s || !xmlNode(child) || !before || xmlNode(child)->parent == self.object()) return Value();
    if (std::find(s->children.begin(), s->children.end(), before) == s->children.end()) return Value();
    xmlInsert(in, self.object(), child, before);
    return Value();
}

Value removeNode(Interpreter& in, const Value& self, std::span<const Value>) {
    if (xmlNode(self)) xmlRemove(in, self.object());
    return Value();
}

Value hasChildNodes(Interpreter&, const Value& self, std::span<const Value>) {
    XmlNodeState* s = xmlNode(self);
    return s ? Value(!s->children.empty()) : Value();
}

Object* cloneNode(Interpreter& in, Object* node, bool deep, int depth) {
    XmlNodeState* s = xmlNode(node);
    Object* copy = in.newObject(node->proto());
    XmlNodeState& c = makeXmlNode(in, copy, s->type, Value());
    c.name = s->name;
    c.value = s->value;
    for (const Property& p : s->attributes->rawProperties())
        if (!p.deleted) c.attributes->setOwn(p.name, p.value);
    if (deep && depth < 10000) {
        for (Object* child : s->children) {
            Object* cc = cloneNode(in, child, true, depth + 1);
            xmlNode(cc)->parent = copy;
            c.children.push_back(cc);
        }
        rebuildChildArray(in, c);
    }
    return copy;
}

Value cloneNodeMethod(Interpreter& in, const Value& self, std::span<const Value> args) {
    if (!xmlNode(self)) return Value();
    return Value(cloneNode(in, self.object(), in.toBoolean(arg(args, 0)), 0));
}

Value toStringMethod(Interpreter& in, const Value& self, std::span<const Value>) {
    if (!xmlNode(self)) return Value("[object Object]");
    return Value(xmlToString(in, self.object()));
}

void accessor(Interpreter& in, Object* proto, const char* name, NativeFunction get, NativeFunction set = nullptr) {
    Property& p = proto->setOwn(name, Value(), kDontEnum);
    p.flags = kDontEnum;
    p.getter = in.newFunction(get);
    if (set) p.setter = in.newFunction(set);
}

void appendText(Interpreter& in, Object* node, std::string& out, int depth) {
    XmlNodeState* s = xmlNode(node);
    if (!s || depth > 10000) return;
    if (s->type == XmlNodeType::Text) {
        out += xmlEscape(s->value.isString() ? s->value.string() : std::string());
        return;
    }
    bool named = s->name.isString();
    if (named) {
        out += '<';
        out += s->name.string();
        // Attributes in the order the player enumerates them.
        std::vector<std::string> names = in.enumerate(s->attributes);
        for (const std::string& n : names) {
            Value v = in.getMember(s->attributes, n);
            out += ' ';
            out += n;
            out += "=\"";
            out += xmlEscape(in.toString(v));
            out += '"';
        }
        if (s->children.empty()) {
            out += " />";
            return;
        }
        out += '>';
    }
    for (Object* c : s->children) {
        appendText(in, c, out, depth + 1);
        if (out.size() > in.limits().maxStringLength) return;
    }
    if (named) {
        out += "</";
        out += s->name.string();
        out += '>';
    }
}

}  // namespace

bool xmlInsert(Interpreter& in, Object* parent, Object* child, Object* before) {
    XmlNodeState* p = xmlNode(parent);
    XmlNodeState* c = xmlNode(child);
    if (!p || !c || child == before) return false;
    // A node can't hold itself or one of its ancestors.
    for (Object* a = parent; a; a = xmlNode(a) ? xmlNode(a)->parent : nullptr)
        if (a == child) return false;
    xmlRemove(in, child);
    auto at = before ? std::find(p->children.begin(), p->children.end(), before) : p->children.end();
    p->children.insert(at, child);
    c->parent = parent;
    rebuildChildArray(in, *p);
    return true;
}

void xmlRemove(Interpreter& in, Object* child) {
    XmlNodeState* c = xmlNode(child);
    if (!c || !c->parent) return;
    if (XmlNodeState* p = xmlNode(c->parent)) {
        auto it = std::find(p->children.begin(), p->children.end(), child);
        if (it != p->children.end()) p->children.erase(it);
        rebuildChildArray(in, *p);
    }
    c->parent = nullptr;
}

std::string xmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        switch (ch) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += ch;
        }
    }
    return out;
}

std::string xmlToString(Interpreter& in, Object* node) {
    std::string out;
    appendText(in, node, out, 0);
    return out;
}

void installXmlNodeClass(Interpreter& in) {
    Object* proto = in.newObject();
    in.classPrototypes["XMLNode"] = proto;
    in.makeClass(in.global(), "XMLNode", xmlNodeCtor, proto);
    accessor(in, proto, "nodeType", getNodeType);
    accessor(in, proto, "nodeName", getNodeName, setNodeName);
    accessor(in, proto, "nodeValue", getNodeValue, setNodeValue);
    accessor(in, proto, "attributes", getAttributes, setAttributes);
    accessor(in, proto, "childNodes", getChildNodes);
    accessor(in, proto, "firstChild", getFirstChild);
    accessor(in, proto, "lastChild", getLastChild);
    accessor(in, proto, "nextSibling", getNextSibling);
    accessor(in, proto, "previousSibling", getPreviousSibling);
    accessor(in, proto, "parentNode", getParentNode);
    accessor(in, proto, "prefix", getPrefix);
    accessor(in, proto, "localName", getLocalName);
    accessor(in, proto, "namespaceURI", getNamespaceUri);
    in.method(proto, "appendChild", appendChild);
    in.method(proto, "insertBefore", insertBefore);
    in.method(proto, "removeNode", removeNode);
    in.method(proto, "cloneNode", cloneNodeMethod);
    in.method(proto, "hasChildNodes", hasChildNodes);
    in.method(proto, "toString", toStringMethod);
    in.method(proto, "getNamespaceForPrefix", getNamespaceForPrefix);
    in.method(proto, "getPrefixForNamespace", getPrefixForNamespace);
}

}  // namespace kelmora::player::avm1
