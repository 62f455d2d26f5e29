#pragma once
// The classes that would talk to the outside world (files, sockets, connections, devices). The
// player has no network and no user: each answers as the reference player answers here.
#include <span>
#include <string_view>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

void installOutsideWorldClasses(Interpreter& in);

void installFileReferenceClasses(Interpreter& in);  // flash.net.FileReference, FileReferenceList
void installContextMenuClasses(Interpreter& in);    // ContextMenu, ContextMenuItem
void installPrintJobClass(Interpreter& in);
void installLocalConnectionClass(Interpreter& in);
void installNetConnectionClass(Interpreter& in);
void installNetStreamClass(Interpreter& in);
void installXmlSocketClass(Interpreter& in);
// {code, level}: what onStatus handlers get.
Value statusInfo(Interpreter& in, const char* level, const char* code);
// Whether a NetConnection is connected to local files (connect(null)).
bool localNetConnection(const Value& connection);
// ExternalInterface's _toXML, _toAS, _toJS... on the class made by installExternalInterfaceClass.
void installExternalInterfaceConversions(Interpreter& in);

// A value as it arrives through the player's AMF0 serialisation: dates, XML documents, arrays
// and objects are copied with their enumerable data (shared objects stay shared), display
// objects arrive undefined and functions as plain objects.
Value amfCopy(Interpreter& in, const Value& v);

// Makes `self` a broadcaster (AsBroadcaster.initialize) without listeners.
void initializeBroadcaster(Interpreter& in, const Value& self);
// Queues target.broadcastMessage(event, args...) for after the running scripts.
void broadcastLater(Interpreter& in, const Value& target, std::string_view event, std::span<const Value> args);

}  // namespace kelmora::player::avm1
