#include "DemoDirectory.h"

QList<StationDirectory::Entry> demoDirectory()
{
    using StationDirectory::Kind;
    struct Row
    {
        const char* callsign;
        const char* description;
        const char* status;
        int node;
    };
    // Callsigns of the Q prefix, which no country is given: none of them is a real station.
    static const Row rows[] {
        { "*AURORA*", "Aurora Net, daily 1900 UTC", "on", 910001 },
        { "*ELMFALLS*", "Elm Falls Radio Club", "on", 910002 },
        { "*LAKEVIEW*", "Lakeview Linked Repeaters", "on", 910003 },
        { "*NORTHSTAR*", "Northstar Hub", "busy", 910004 },
        { "*RAGCHEW*", "Ragchew Corner, all welcome", "on", 910005 },
        { "*TECHNET*", "Technical Net, Tuesdays", "on", 910006 },
        { "Q1ABC", "Jo Smith, Elm Falls", "on", 123456 },
        { "Q1ABD", "Sam Reed, Elm Falls", "busy", 123457 },
        { "Q1BCD", "Ana Lopez, Harbor Point", "on", 124001 },
        { "Q1XYZ", "Lee Park, Cedar Grove", "in conference *AURORA*", 124502 },
        { "Q2AB", "Kim Brandt, Millbrook", "on", 230111 },
        { "Q2DEF", "Ola Nordin, Pinecrest", "on", 230222 },
        { "Q2GHI", "Raj Patel, Riverside", "busy", 230333 },
        { "Q2JKL", "Mia Chen, Westfield", "on", 230444 },
        { "Q3MNO", "Tom Gray, Stony Brook", "in conference *TECHNET*", 340555 },
        { "Q3PQR", "Eva Novak, Ashford", "on", 340666 },
        { "Q3STU", "Ben Okafor, Hilltop", "on", 340777 },
        { "Q4VWX", "Ida Berg, Copper Bay", "on", 450888 },
        { "Q4YZA", "Max Weber, Oakridge", "busy", 450999 },
        { "Q5BCE", "Lena Roth, Fairhaven", "on", 561010 },
        { "Q5FGH", "Omar Haddad, Silver Lake", "on", 561111 },
        { "Q6IJK", "Nora Quinn, Maple Hill", "on", 672222 },
        { "Q7LMN", "Piet de Vries, Dunmore", "in conference *RAGCHEW*", 783333 },
        { "Q8OPQ", "Sara Lind, Brightwater", "on", 894444 },
        { "Q9RST", "Yuki Mori, Eastport", "on", 905555 },
        { "Q1ABC-L", "Elm Falls 146.520 simplex link", "on", 123458 },
        { "Q2AB-L", "Millbrook 446.000 link", "on", 230112 },
        { "Q3PQR-L", "Ashford 145.550 link", "busy", 340667 },
        { "Q5BCE-L", "Fairhaven 147.420 link", "on", 561011 },
        { "Q6IJK-L", "Maple Hill 433.500 link", "in conference *LAKEVIEW*", 672223 },
        { "Q8OPQ-L", "Brightwater 144.900 link", "on", 894445 },
        { "Q1RPT-R", "Elm Falls 147.060+ PL 100.0", "on", 125000 },
        { "Q2RPT-R", "Millbrook 442.100+ PL 123.0", "on", 231000 },
        { "Q3RPT-R", "Stony Brook 146.940- PL 88.5", "busy", 341000 },
        { "Q4RPT-R", "Copper Bay 145.490- PL 77.0", "in conference *LAKEVIEW*", 451000 },
        { "Q7RPT-R", "Dunmore 444.650+ PL 131.8", "on", 784000 },
        { "Q9RPT-R", "Eastport 146.760- PL 103.5", "on", 906000 },
    };
    QList<StationDirectory::Entry> entries;
    for (const Row& row : rows) {
        const QString callsign = QString::fromLatin1(row.callsign);
        entries.append({ callsign, QString::fromLatin1(row.description), QString::fromLatin1(row.status), row.node,
                         StationDirectory::kindOfCallsign(callsign) });
    }
    return entries;
}
