#pragma once

// The generated document both the Kettric and the heap benchmarks parse: nested nodes with
// properties, float and string lists, as Kettric text and as the same tree in JSON.
#include "base/TextUtils.h"
#include "kettric/KettricDocument.h"
#include "kettric/KettricPrimitive.h"

#include <cstdio>
#include <random>
#include <string>

namespace oq::bench {

// A node of the benchmark format: four known properties and any substructures.
class BenchNode : public KettricStructure
{
public:
    BenchNode() : KettricStructure('NODE') {}

    bool CheckProperty(KettricDocument *, const TextString &identifier, KettricDataType *type, void **storage) override
    {
        if (CompareText(identifier, "name")) return Declare(type, storage, 'STRG', &name);
        if (CompareText(identifier, "count")) return Declare(type, storage, 'IN32', &count);
        if (CompareText(identifier, "visible")) return Declare(type, storage, 'BOOL', &visible);
        if (CompareText(identifier, "scale")) return Declare(type, storage, 'FLOT', &scale);
        return false;
    }

    static bool Declare(KettricDataType *type, void **storage, KettricDataType declared, void *member)
    {
        *type = declared;
        *storage = member;
        return true;
    }

    TextString name;
    int32_t count = 0;
    bool visible = false;
    float scale = 0.0f;
};

// The benchmark format: every "Node" identifier makes a BenchNode.
class BenchDocument : public KettricDocument
{
public:
    KettricStructure *MakeStructure(const TextString &identifier) override
    {
        return CompareText(identifier, "Node") ? new BenchNode : nullptr;
    }
};

// The same tree as Kettric text and as JSON: nested nodes with properties, float and string lists.
struct GeneratedData
{
    std::string kettric;
    std::string json;
};

// Appends the pieces to both texts.
inline void Append(GeneratedData &data, const char *kettric, const char *json)
{
    data.kettric.append(kettric);
    data.json.append(json);
}

inline void AppendNode(GeneratedData &data, std::mt19937 &random, int depth, int &serial)
{
    char kettric[256];
    char json[256];
    int id = serial++;
    int count = int(random() % 1000);
    double scale = double(random() % 100000) / 1000.0;
    std::snprintf(kettric, sizeof(kettric),
                  "Node $n%d (name = \"node %d\", count = %d, visible, scale = %.6g) {\nfloat {", id, id, count, scale);
    std::snprintf(json, sizeof(json),
                  "{\"name\":\"node %d\",\"count\":%d,\"visible\":true,\"scale\":%.6g,\"floats\":[", id, count, scale);
    Append(data, kettric, json);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    for (int i = 0; i < 24; ++i)
    {
        std::snprintf(json, sizeof(json), "%.7g", value(random));
        Append(data, i ? ", " : "", i ? "," : "");
        Append(data, json, json);
    }
    Append(data, "}\nstring {", "],\"strings\":[");
    for (int i = 0; i < 4; ++i)
    {
        std::snprintf(json, sizeof(json), "\"item %u of the list\"", unsigned(random() % 100000));
        Append(data, i ? ", " : "", i ? "," : "");
        Append(data, json, json);
    }
    Append(data, "}\n", "],\"children\":[");
    if (depth < 3)
    {
        for (int i = 0; i < 3; ++i)
        {
            if (i) data.json.push_back(',');
            AppendNode(data, random, depth + 1, serial);
        }
    }
    Append(data, "}\n", "]}");
}

inline const GeneratedData &GetData()
{
    static GeneratedData data = [] {
        GeneratedData d;
        std::mt19937 random(1);
        int serial = 0;
        d.json.push_back('[');
        for (int i = 0; i < 600; ++i)
        {
            if (i) d.json.push_back(',');
            AppendNode(d, random, 0, serial);
        }
        d.json.push_back(']');
        return d;
    }();
    return data;
}

}  // namespace oq::bench
