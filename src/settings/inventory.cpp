#include "settings/inventory.h"

#include "settings/inventoryfields.h"
#include "settings/sensitivitytable.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cmath>
#include <memory>

namespace {

constexpr const char *stationNamespace = "http://www.fdsn.org/xml/station/1";

// Why the document cannot be read, at a line: caught in parseInventory.
struct Malformed {
    long line;
    std::string reason;
};

const char *chars(const xmlChar *text) { return reinterpret_cast<const char *>(text); }

// An element of the inventory's namespace, or of none, named `name`:
// elements of other namespaces are someone's additions and passed over.
bool isElement(const xmlNode *node, const char *name)
{
    return node->type == XML_ELEMENT_NODE && xmlStrEqual(node->name, BAD_CAST name) &&
           (!node->ns || xmlStrEqual(node->ns->href, BAD_CAST stationNamespace));
}

const xmlNode *child(const xmlNode *parent, const char *name)
{
    for (const xmlNode *node = parent ? parent->children : nullptr; node; node = node->next)
        if (isElement(node, name))
            return node;
    return nullptr;
}

template <typename Visit>
void eachChild(const xmlNode *parent, const char *name, Visit visit)
{
    for (const xmlNode *node = parent->children; node; node = node->next)
        if (isElement(node, name))
            visit(node);
}

long lineOf(const xmlNode *node) { return xmlGetLineNo(node); }

// The element's text without the blanks around it. Entities are not
// expanded, so a reference in it is refused rather than read as nothing.
std::string textOf(const xmlNode *element)
{
    std::string text;
    for (const xmlNode *node = element->children; node; node = node->next) {
        if (node->type == XML_ENTITY_REF_NODE)
            throw Malformed{lineOf(element), std::string(chars(element->name)) +
                                                 " holds the entity reference &" + chars(node->name) +
                                                 ";, which Sismavue does not expand"};
        if (node->type == XML_TEXT_NODE || node->type == XML_CDATA_SECTION_NODE)
            text += chars(node->content);
    }
    return std::string(trimmedText(text));
}

std::optional<std::string> attribute(const xmlNode *element, const char *name)
{
    xmlChar *value = xmlGetNoNsProp(element, BAD_CAST name);
    if (!value)
        return std::nullopt;
    std::string text(trimmedText(chars(value)));
    xmlFree(value);
    return text;
}

std::string code(const xmlNode *element)
{
    std::optional<std::string> text = attribute(element, "code");
    if (!text || text->empty())
        throw Malformed{lineOf(element), std::string("a ") + chars(element->name) + " without a code"};
    return *text;
}

std::optional<int64_t> date(const xmlNode *element, const char *name)
{
    const std::optional<std::string> text = attribute(element, name);
    if (!text)
        return std::nullopt;
    const std::optional<int64_t> time = parseDateTime(*text);
    if (!time)
        throw Malformed{lineOf(element), std::string("the ") + name + " \"" + *text +
                                             "\" is not a date and time such as 2024-03-01T10:00:00"};
    return time;
}

std::string channelId(const InventoryEpoch &epoch)
{
    return epoch.network + "." + epoch.station + "." + epoch.location + "." + epoch.channel;
}

// Fills in the epoch's sensitivity, or why it has none, from the unit and the value.
void judge(InventoryEpoch &epoch, const std::string &unit, const std::string &value, double number)
{
    const std::string id = channelId(epoch);
    const InputUnit input = classifyUnit(unit);
    const double countsPerMetrePerSecond = number * input.perMetre;
    if (input.kind == InputUnit::Acceleration)
        epoch.refusal = id + " measures acceleration (" + unit + "), not velocity";
    else if (input.kind == InputUnit::Displacement)
        epoch.refusal = id + " measures displacement (" + unit + "), not velocity";
    else if (input.kind == InputUnit::Other)
        epoch.refusal = "the input unit of " + id + ", " + unit + ", is not a velocity";
    else if (!(countsPerMetrePerSecond > 0) || !std::isfinite(countsPerMetrePerSecond))
        epoch.refusal =
            "the sensitivity of " + id + ", " + value + " counts per " + unit + ", is not above 0";
    else
        epoch.countsPerMetrePerSecond = countsPerMetrePerSecond;
}

InventoryEpoch readChannel(const xmlNode *element, const std::string &network, const std::string &station)
{
    InventoryEpoch epoch{network, station, attribute(element, "locationCode").value_or(""), code(element),
                         date(element, "startDate"), date(element, "endDate"), std::nullopt, ""};
    const xmlNode *sensitivity = child(child(element, "Response"), "InstrumentSensitivity");
    if (!sensitivity) {
        epoch.refusal = channelId(epoch) + " has no InstrumentSensitivity";
        return epoch;
    }
    const xmlNode *value = child(sensitivity, "Value");
    const xmlNode *unit = child(child(sensitivity, "InputUnits"), "Name");
    if (!value || !unit)
        throw Malformed{lineOf(sensitivity), "the InstrumentSensitivity of " + channelId(epoch) + " has no " +
                                                 (value ? "InputUnits Name" : "Value")};
    const std::string text = textOf(value);
    const std::optional<double> number = parseDouble(text);
    if (!number)
        throw Malformed{lineOf(value), "the sensitivity \"" + text + "\" is not a number"};
    judge(epoch, textOf(unit), text, *number);
    return epoch;
}

Inventory readDocument(const xmlNode *root)
{
    if (!isElement(root, "FDSNStationXML")) {
        const std::string where = root->ns ? std::string(" in the namespace ") + chars(root->ns->href) : "";
        throw Malformed{lineOf(root), "is not a StationXML inventory: its root element is " +
                                          std::string(chars(root->name)) + where};
    }
    Inventory inventory;
    eachChild(root, "Network", [&](const xmlNode *network) {
        const std::string networkCode = code(network);
        eachChild(network, "Station", [&](const xmlNode *station) {
            const std::string stationCode = code(station);
            eachChild(station, "Channel", [&](const xmlNode *channel) {
                inventory.epochs.push_back(readChannel(channel, networkCode, stationCode));
            });
        });
    });
    return inventory;
}

// The parser's first error, fatal ones first, instead of libxml2's output
// on standard error.
struct FirstError {
    long line = 0;
    std::string message;
    int level = XML_ERR_NONE;
};

#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError *;
#else
using ErrorPointer = xmlError *;
#endif

void keepFirstError(void *context, ErrorPointer error)
{
    auto &first = *static_cast<FirstError *>(static_cast<xmlParserCtxt *>(context)->_private);
    if (error->level < XML_ERR_ERROR || first.level >= error->level)
        return;
    first = {error->line, std::string(trimmedText(error->message ? error->message : "")), error->level};
}

struct FreeParser {
    void operator()(xmlParserCtxt *context) const { xmlFreeParserCtxt(context); }
};
struct FreeDocument {
    void operator()(xmlDoc *document) const { xmlFreeDoc(document); }
};

} // namespace

std::variant<Inventory, LoadError> parseInventory(std::string_view text, const std::string &name)
{
    if (text.size() > INT_MAX)
        return LoadError{name, 0, "is too large for an inventory"};
    const std::unique_ptr<xmlParserCtxt, FreeParser> context(xmlNewParserCtxt());
    if (!context)
        return LoadError{name, 0, "cannot be read: not enough memory"};
    FirstError first;
    context->_private = &first;
    context->sax->serror = keepFirstError;   // its data is the context
    // No network, no DTD, no entity substituted; errors come to keepFirstError.
    const int options = XML_PARSE_NONET | XML_PARSE_BIG_LINES | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;
    const std::unique_ptr<xmlDoc, FreeDocument> document(xmlCtxtReadMemory(
        context.get(), text.data(), static_cast<int>(text.size()), nullptr, nullptr, options));
    if (!document || !context->wellFormed)
        return LoadError{name, first.line, "is not well-formed XML: " + first.message};
    try {
        return readDocument(xmlDocGetRootElement(document.get()));
    } catch (const Malformed &malformed) {
        return LoadError{name, malformed.line, malformed.reason};
    }
}

std::variant<Inventory, LoadError> readInventory(const std::string &path)
{
    std::variant<std::string, LoadError> text = readTableText(path, false);
    if (auto *error = std::get_if<LoadError>(&text))
        return std::move(*error);
    return parseInventory(std::get<std::string>(text), path);
}
