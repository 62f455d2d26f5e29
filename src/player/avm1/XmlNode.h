#pragma once
// The tree behind XMLNode and XML objects: each node object carries an XmlNodeState with its
// kind, name or text, attributes object, parent and children. childNodes is a script array that
// the node rebuilds whenever its children change (scripts may read it, changing it has no effect).
#include <string>
#include <vector>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

enum class XmlNodeType : int { Element = 1, Text = 3 };

struct XmlNodeState : NativeState {
    XmlNodeType type = XmlNodeType::Element;
    Value name;   // elements: the tag name, null for a document
    Value value;  // text nodes: the text, null for elements
    Object* attributes = nullptr;
    Object* parent = nullptr;
    std::vector<Object*> children;
    Object* childArray = nullptr;

    void mark(const std::function<void(Object*)>& mark) const override {
        mark(attributes);
        mark(parent);
        mark(childArray);
        for (Object* c : children) mark(c);
    }
};

XmlNodeState* xmlNode(const Value& v);
XmlNodeState* xmlNode(Object* o);
// Gives `node` (already made with the right prototype) the state of an XML node.
XmlNodeState& makeXmlNode(Interpreter& in, Object* node, XmlNodeType type, const Value& nameOrValue);
Object* newXmlNode(Interpreter& in, XmlNodeType type, const Value& nameOrValue);
// Inserts `child` into `parent` before `before` (null: at the end), taking it from its old parent.
// Refused (false) when child is parent or one of its ancestors.
bool xmlInsert(Interpreter& in, Object* parent, Object* child, Object* before);
void xmlRemove(Interpreter& in, Object* child);
// The node as XML text (elements with their children, escaped text).
std::string xmlToString(Interpreter& in, Object* node);
std::string xmlEscape(std::string_view text);

void installXmlNodeClass(Interpreter& in);  // XMLNode, before XML
void installXmlClass(Interpreter& in);

}  // namespace kelmora::player::avm1
