#include "settings/inventory.h"

#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>

#include <stdlib.h>

namespace {

// A Channel element; `location` and `dates` are its attributes as written.
std::string channel(const std::string &code, const std::string &location, const std::string &dates,
                    const std::string &unit, const std::string &value)
{
    return "<Channel code=\"" + code + "\" " + location + " " + dates +
           "><Response><InstrumentSensitivity><Value>" + value + "</Value><Frequency>1</Frequency>"
           "<InputUnits><Name>" + unit + "</Name></InputUnits></InstrumentSensitivity></Response></Channel>\n";
}

std::string inventory(const std::string &channels, const std::string &root = "FDSNStationXML")
{
    return "<?xml version=\"1.0\"?>\n<" + root +
           " xmlns=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"1.1\">\n"
           "<Network code=\"XX\"><Station code=\"ABC\">\n" +
           channels + "</Station></Network></" + root + ">\n";
}

// The counts per m/s as the shortest text, the reason, or the load error.
std::string describe(const std::string &text, const char *location, const char *code,
                     std::optional<int64_t> start)
{
    const auto parsed = parseInventory(text, "inv.xml");
    if (const auto *error = std::get_if<LoadError>(&parsed))
        return error->message();
    const auto found = inventorySensitivity(std::get<Inventory>(parsed), "XX", "ABC", location, code, start);
    if (const auto *reason = std::get_if<std::string>(&found))
        return *reason;
    char number[32];
    return std::string(number, std::to_chars(number, number + sizeof number, std::get<double>(found)).ptr);
}

constexpr int64_t year2021 = 1609459200'000000;   // 2021-01-01T00:00:00Z

} // namespace

TEST(Inventory, SensitivitiesAreTakenFromVelocityChannelsOnly)
{
    const std::string loc = "locationCode=\"00\"";
    const std::string epochs =
        channel("HHZ", loc, "startDate=\"2020-01-01T00:00:00\" endDate=\"2021-01-01T00:00:00Z\"", "M/S", "1E9") +
        channel("HHZ", loc, "startDate=\"2021-01-01T01:00:00.5+01:00\"", "M/S", "2E9");
    struct Row {
        const char *name;
        std::string text;
        const char *location, *code;
        std::optional<int64_t> start;
        std::string result;
    };
    const Row rows[] = {
        {"M/S as it stands", inventory(channel("HHZ", loc, "", "M/S", " +1.5E9 ")), "00", "HHZ", std::nullopt,
         "1.5e+09"},
        {"nm/s scaled, any case", inventory(channel("HHZ", loc, "", "nm/s", "1.5")), "00", "HHZ", 0, "1.5e+09"},
        {"CM/S scaled", inventory(channel("HHZ", loc, "", "CM/S", "3")), "00", "HHZ", 0, "300"},
        {"MM/S scaled", inventory(channel("HHZ", loc, "", "MM/S", "3")), "00", "HHZ", 0, "3000"},
        {"acceleration", inventory(channel("HNZ", loc, "", "M/S**2", "4E5")), "00", "HNZ", 0,
         "XX.ABC.00.HNZ measures acceleration (M/S**2), not velocity"},
        {"displacement", inventory(channel("HHZ", loc, "", "NM", "4E5")), "00", "HHZ", 0,
         "XX.ABC.00.HHZ measures displacement (NM), not velocity"},
        {"another unit", inventory(channel("HHZ", loc, "", "V", "4E5")), "00", "HHZ", 0,
         "the input unit of XX.ABC.00.HHZ, V, is not a velocity"},
        {"not above 0", inventory(channel("HHZ", loc, "", "M/S", "-1E9")), "00", "HHZ", 0,
         "the sensitivity of XX.ABC.00.HHZ, -1E9 counts per M/S, is not above 0"},
        {"no sensitivity", inventory("<Channel code=\"HHZ\" locationCode=\"\"><Response/></Channel>"), "", "HHZ", 0,
         "XX.ABC..HHZ has no InstrumentSensitivity"},
        {"empty location", inventory(channel("HHZ", "locationCode=\"\"", "", "M/S", "7")), "", "HHZ", 0, "7"},
        {"no such channel", inventory(channel("HHZ", loc, "", "M/S", "7")), "", "HHZ", 0,
         "the inventory has no channel XX.ABC..HHZ"},
        {"first epoch", inventory(epochs), "00", "HHZ", year2021 - 1, "1e+09"},
        {"second epoch from its start, zone and fraction", inventory(epochs), "00", "HHZ", year2021 + 500000,
         "2e+09"},
        {"at the first epoch's end, before the second", inventory(epochs), "00", "HHZ", year2021,
         "no epoch of XX.ABC.00.HHZ in the inventory holds the record's start, 2021-01-01 00:00:00.000000 UTC "
         "(from 2020-01-01 00:00:00.000000 UTC until 2021-01-01 00:00:00.000000 UTC; "
         "from 2021-01-01 00:00:00.500000 UTC on)"},
        {"no start time, two epochs", inventory(epochs), "00", "HHZ", std::nullopt,
         "the record has no start time, and the inventory has 2 epochs of XX.ABC.00.HHZ"},
        {"overlapping epochs that differ", inventory(epochs + channel("HHZ", loc, "", "M/S", "1E9")), "00", "HHZ",
         year2021 + 500000,
         "2 epochs of XX.ABC.00.HHZ in the inventory hold the record's start, with different sensitivities"},
        {"prefixed namespace, others' elements passed over, location absent",
         "<s:FDSNStationXML xmlns:s=\"http://www.fdsn.org/xml/station/1\" xmlns:o=\"urn:other\">"
         "<s:Network code=\"XX\"><s:Station code=\"ABC\"><o:Channel code=\"HHZ\"/><s:Channel code=\"HHZ\">"
         "<s:Response><s:InstrumentSensitivity><o:Value>6</o:Value><s:Value>5</s:Value>"
         "<s:InputUnits><s:Name>M/S</s:Name></s:InputUnits></s:InstrumentSensitivity></s:Response>"
         "</s:Channel></s:Station></s:Network></s:FDSNStationXML>",
         "", "HHZ", 0, "5"},
        {"not well-formed", inventory(channel("HHZ", loc, "", "M/S", "1</Frequency>")), "00", "HHZ", 0,
         "inv.xml: line 4: is not well-formed XML: Opening and ending tag mismatch: Value line 4 and Frequency"},
        {"another root", inventory("", "Inventory"), "", "HHZ", 0,
         "inv.xml: line 2: is not a StationXML inventory: its root element is Inventory in the namespace "
         "http://www.fdsn.org/xml/station/1"},
        {"a date", inventory(channel("HHZ", loc, "startDate=\"2021-02-30T00:00:00\"", "M/S", "1")), "00", "HHZ", 0,
         "inv.xml: line 4: the startDate \"2021-02-30T00:00:00\" is not a date and time such as 2024-03-01T10:00:00"},
        {"a value", inventory(channel("HHZ", loc, "", "M/S", "1,5")), "00", "HHZ", 0,
         "inv.xml: line 4: the sensitivity \"1,5\" is not a number"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        // libxml2's messages come back in the error, never on standard error.
        testing::internal::CaptureStderr();
        EXPECT_EQ(describe(row.text, row.location, row.code, row.start), row.result);
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    }
}

TEST(Inventory, EntitiesAreNeitherFetchedNorExpanded)
{
    std::string name = (std::filesystem::temp_directory_path() / "inventory-XXXXXX").string();
    const std::filesystem::path dir = mkdtemp(name.data());
    const std::string secret = (dir / "secret").string(), path = (dir / "inventory.xml").string();
    std::ofstream(secret) << "4E8";
    // The inventory after its XML declaration, with a DTD that declares the entity.
    std::ofstream(path) << "<?xml version=\"1.0\"?>\n<!DOCTYPE FDSNStationXML [<!ENTITY s SYSTEM \"file://" +
                               secret + "\">]>" + inventory(channel("HHZ", "", "", "M/S", "&s;")).substr(21);
    const auto parsed = readInventory(path);
    ASSERT_TRUE(std::holds_alternative<LoadError>(parsed));
    EXPECT_EQ(std::get<LoadError>(parsed).message(),
              path + ": line 5: Value holds the entity reference &s;, which Sismavue does not expand");
    std::filesystem::remove_all(dir);
}
