#include "export/xlsx_parts.h"

#include <algorithm>

namespace sormel::xlsx {
namespace {

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
const std::string kOpenXml = "http://schemas.openxmlformats.org/";
const std::string kOfficeRelationships = kOpenXml + "officeDocument/2006/relationships";
const std::string kPackageRelationships = kOpenXml + "package/2006/relationships";
const std::string kOfficeDocument = "application/vnd.openxmlformats-officedocument.";

std::string number(std::size_t value) { return std::to_string(value); }

std::string relationship(std::size_t id, const std::string& type, const std::string& target) {
    return "<Relationship Id=\"rId" + number(id) + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}

std::string relationships(const std::string& inner) {
    return kDeclaration + "<Relationships xmlns=\"" + kPackageRelationships + "\">" + inner + "</Relationships>";
}

std::string overridePart(const std::string& part, const std::string& type) {
    return "<Override PartName=\"" + part + "\" ContentType=\"" + type + "\"/>";
}

std::string escapedText(std::string_view text) {
    std::string out;
    appendXmlText(out, text);
    return out;
}

std::string escapedAttribute(std::string_view text) {
    std::string out;
    appendXmlAttribute(out, text);
    return out;
}

std::string font(bool bold) {
    return std::string("<font>") + (bold ? "<b/>" : "") +
           "<sz val=\"11\"/><color theme=\"1\"/><name val=\"Calibri\"/><family val=\"2\"/><scheme val=\"minor\"/></font>";
}

// The custom number formats in order of first use; Excel's own run from 164.
std::vector<std::string> customFormats(const std::vector<CellStyle>& used) {
    std::vector<std::string> formats;
    for (const CellStyle& style : used) {
        if (!style.numberFormat.empty() &&
            std::find(formats.begin(), formats.end(), style.numberFormat) == formats.end()) {
            formats.push_back(style.numberFormat);
        }
    }
    return formats;
}

constexpr std::size_t kFirstCustomFormat = 164;

}  // namespace

std::string contentTypesXml(const PackageCounts& counts) {
    std::string xml = kDeclaration + "<Types xmlns=\"" + kOpenXml + "package/2006/content-types\">" +
                      "<Default Extension=\"rels\" ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                      "<Default Extension=\"xml\" ContentType=\"application/xml\"/>";
    xml += overridePart("/docProps/app.xml", kOfficeDocument + "extended-properties+xml");
    xml += overridePart("/docProps/core.xml", "application/vnd.openxmlformats-package.core-properties+xml");
    xml += overridePart("/xl/styles.xml", kOfficeDocument + "spreadsheetml.styles+xml");
    xml += overridePart("/xl/theme/theme1.xml", kOfficeDocument + "theme+xml");
    xml += overridePart("/xl/workbook.xml", kOfficeDocument + "spreadsheetml.sheet.main+xml");
    for (std::size_t i = 1; i <= counts.sheets; ++i) {
        xml += overridePart("/xl/worksheets/sheet" + number(i) + ".xml", kOfficeDocument + "spreadsheetml.worksheet+xml");
    }
    for (std::size_t i = 1; i <= counts.charts; ++i) {
        xml += overridePart("/xl/charts/chart" + number(i) + ".xml", kOfficeDocument + "drawingml.chart+xml");
    }
    for (std::size_t i = 1; i <= counts.charts; ++i) {
        xml += overridePart("/xl/drawings/drawing" + number(i) + ".xml", kOfficeDocument + "drawing+xml");
    }
    return xml + "</Types>";
}

std::string packageRelationshipsXml() {
    return relationships(relationship(1, kOfficeRelationships + "/officeDocument", "xl/workbook.xml") +
                         relationship(2, kPackageRelationships + "/metadata/core-properties", "docProps/core.xml") +
                         relationship(3, kOfficeRelationships + "/extended-properties", "docProps/app.xml"));
}

std::string workbookRelationshipsXml(std::size_t sheets) {
    std::string inner;
    for (std::size_t i = 1; i <= sheets; ++i) {
        inner += relationship(i, kOfficeRelationships + "/worksheet", "worksheets/sheet" + number(i) + ".xml");
    }
    inner += relationship(sheets + 1, kOfficeRelationships + "/theme", "theme/theme1.xml");
    inner += relationship(sheets + 2, kOfficeRelationships + "/styles", "styles.xml");
    return relationships(inner);
}

std::string drawingRelationshipXml(bool ofSheet, std::size_t number) {
    return relationships(ofSheet ? relationship(1, kOfficeRelationships + "/drawing",
                                                "../drawings/drawing" + std::to_string(number) + ".xml")
                                 : relationship(1, kOfficeRelationships + "/chart",
                                                "../charts/chart" + std::to_string(number) + ".xml"));
}

std::string appXml(const std::vector<std::string>& sheetNames) {
    std::string xml = kDeclaration + "<Properties xmlns=\"" + kOpenXml +
                      "officeDocument/2006/extended-properties\" xmlns:vt=\"" + kOpenXml +
                      "officeDocument/2006/docPropsVTypes\"><Application>Microsoft Excel</Application>"
                      "<DocSecurity>0</DocSecurity><ScaleCrop>false</ScaleCrop><HeadingPairs>"
                      "<vt:vector size=\"2\" baseType=\"variant\"><vt:variant><vt:lpstr>Worksheets</vt:lpstr></vt:variant>"
                      "<vt:variant><vt:i4>" + number(sheetNames.size()) + "</vt:i4></vt:variant></vt:vector></HeadingPairs>"
                      "<TitlesOfParts><vt:vector size=\"" + number(sheetNames.size()) + "\" baseType=\"lpstr\">";
    for (const std::string& name : sheetNames) xml += "<vt:lpstr>" + escapedText(name) + "</vt:lpstr>";
    return xml + "</vt:vector></TitlesOfParts><Company></Company><LinksUpToDate>false</LinksUpToDate>"
                 "<SharedDoc>false</SharedDoc><HyperlinksChanged>false</HyperlinksChanged>"
                 "<AppVersion>12.0000</AppVersion></Properties>";
}

std::string coreXml(std::time_t created) {
    std::tm utc{};
#ifdef _WIN32
    gmtime_s(&utc, &created);
#else
    gmtime_r(&created, &utc);
#endif
    char time[32];
    std::strftime(time, sizeof time, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return kDeclaration + "<cp:coreProperties xmlns:cp=\"" + kOpenXml +
           "package/2006/metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
           "xmlns:dcterms=\"http://purl.org/dc/terms/\" xmlns:dcmitype=\"http://purl.org/dc/dcmitype/\" "
           "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"><dc:creator></dc:creator>"
           "<cp:lastModifiedBy></cp:lastModifiedBy><dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
           time + "</dcterms:created><dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + time +
           "</dcterms:modified></cp:coreProperties>";
}

std::string workbookXml(const std::vector<std::string>& sheetNames, const std::vector<SheetFilter>& filters) {
    std::string xml = kDeclaration + "<workbook xmlns=\"" + kOpenXml + "spreadsheetml/2006/main\" xmlns:r=\"" +
                      kOfficeRelationships +
                      "\"><fileVersion appName=\"xl\" lastEdited=\"4\" lowestEdited=\"4\" rupBuild=\"4505\"/>"
                      "<workbookPr defaultThemeVersion=\"124226\"/><bookViews><workbookView xWindow=\"240\" "
                      "yWindow=\"15\" windowWidth=\"16095\" windowHeight=\"9660\"/></bookViews><sheets>";
    for (std::size_t i = 0; i < sheetNames.size(); ++i) {
        xml += "<sheet name=\"" + escapedAttribute(sheetNames[i]) + "\" sheetId=\"" + number(i + 1) + "\" r:id=\"rId" +
               number(i + 1) + "\"/>";
    }
    xml += "</sheets>";
    if (!filters.empty()) {
        // Excel lists the names sorted by the sheet's name as a formula
        // writes it, ASCII letters in lower case.
        struct Named {
            std::string key;
            std::string xml;
        };
        std::vector<Named> names;
        for (const SheetFilter& filter : filters) {
            const std::string quoted = quotedSheetName(sheetNames.at(filter.sheet));
            std::string key = quoted + "!_FilterDatabase";
            std::transform(key.begin(), key.end(), key.begin(),
                           [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
            names.push_back({std::move(key), "<definedName name=\"_xlnm._FilterDatabase\" localSheetId=\"" +
                                                 number(filter.sheet) + "\" hidden=\"1\">" +
                                                 escapedText(quoted + "!" +
                                                             rangeName(0, 0, filter.lastRow, filter.lastColumn, true)) +
                                                 "</definedName>"});
        }
        std::stable_sort(names.begin(), names.end(), [](const Named& a, const Named& b) { return a.key < b.key; });
        xml += "<definedNames>";
        for (const Named& name : names) xml += name.xml;
        xml += "</definedNames>";
    }
    return xml + "<calcPr calcId=\"124519\" fullCalcOnLoad=\"1\"/></workbook>";
}

std::string stylesXml(const std::vector<CellStyle>& used) {
    const std::vector<std::string> formats = customFormats(used);
    const bool anyBold = std::any_of(used.begin(), used.end(), [](const CellStyle& style) { return style.bold; });
    std::string xml = kDeclaration + "<styleSheet xmlns=\"" + kOpenXml + "spreadsheetml/2006/main\">";
    if (!formats.empty()) {
        xml += "<numFmts count=\"" + number(formats.size()) + "\">";
        for (std::size_t i = 0; i < formats.size(); ++i) {
            xml += "<numFmt numFmtId=\"" + number(kFirstCustomFormat + i) + "\" formatCode=\"" +
                   escapedAttribute(formats[i]) + "\"/>";
        }
        xml += "</numFmts>";
    }
    xml += "<fonts count=\"" + number(anyBold ? 2 : 1) + "\">" + font(false) + (anyBold ? font(true) : "") + "</fonts>";
    xml += "<fills count=\"2\"><fill><patternFill patternType=\"none\"/></fill><fill><patternFill "
           "patternType=\"gray125\"/></fill></fills><borders count=\"1\"><border><left/><right/><top/><bottom/>"
           "<diagonal/></border></borders><cellStyleXfs count=\"1\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" "
           "borderId=\"0\"/></cellStyleXfs>";
    xml += "<cellXfs count=\"" + number(used.size() + 1) +
           "\"><xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\" xfId=\"0\"/>";
    for (const CellStyle& style : used) {
        std::size_t format = 0;
        if (!style.numberFormat.empty()) {
            format = kFirstCustomFormat +
                     static_cast<std::size_t>(std::find(formats.begin(), formats.end(), style.numberFormat) -
                                              formats.begin());
        }
        xml += "<xf numFmtId=\"" + number(format) + "\" fontId=\"" + (style.bold ? "1" : "0") +
               "\" fillId=\"0\" borderId=\"0\" xfId=\"0\"";
        if (format != 0) xml += " applyNumberFormat=\"1\"";
        if (style.bold) xml += " applyFont=\"1\"";
        xml += "/>";
    }
    return xml + "</cellXfs><cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
                 "</cellStyles><dxfs count=\"0\"/><tableStyles count=\"0\" defaultTableStyle=\"TableStyleMedium9\" "
                 "defaultPivotStyle=\"PivotStyleLight16\"/></styleSheet>";
}

std::string chartXml(const Chart& chart) {
    const bool line = chart.kind == ChartKind::Line;
    const std::string sheet = quotedSheetName(chart.sheetName) + "!";
    std::string xml = kDeclaration + "<c:chartSpace xmlns:c=\"" + kOpenXml + "drawingml/2006/chart\" xmlns:a=\"" +
                      kOpenXml + "drawingml/2006/main\" xmlns:r=\"" + kOfficeRelationships +
                      "\"><c:lang val=\"en-US\"/><c:chart><c:title><c:tx><c:rich><a:bodyPr/><a:lstStyle/><a:p><a:pPr>"
                      "<a:defRPr/></a:pPr><a:r><a:rPr lang=\"en-US\"/><a:t>" +
                      escapedText(chart.title) + "</a:t></a:r></a:p></c:rich></c:tx><c:layout/></c:title><c:plotArea>"
                      "<c:layout/>";
    xml += line ? "<c:lineChart><c:grouping val=\"standard\"/>"
                : "<c:barChart><c:barDir val=\"col\"/><c:grouping val=\"stacked\"/>";
    for (std::size_t i = 0; i < chart.series.size(); ++i) {
        const ChartSeries& series = chart.series[i];
        std::string name = sheet;
        appendCellName(name, series.row, series.nameColumn, true);
        const std::string categories = sheet + rangeName(0, series.firstColumn, 0, series.lastColumn, true);
        const std::string values = sheet + rangeName(series.row, series.firstColumn, series.row, series.lastColumn, true);
        xml += "<c:ser><c:idx val=\"" + number(i) + "\"/><c:order val=\"" + number(i) + "\"/><c:tx><c:strRef><c:f>" +
               escapedText(name) + "</c:f></c:strRef></c:tx>";
        if (line) xml += "<c:marker><c:symbol val=\"none\"/></c:marker>";
        xml += "<c:cat><c:numRef><c:f>" + escapedText(categories) + "</c:f></c:numRef></c:cat><c:val><c:numRef><c:f>" +
               escapedText(values) + "</c:f></c:numRef></c:val></c:ser>";
    }
    xml += line ? "<c:marker val=\"1\"/>" : "<c:overlap val=\"100\"/>";
    xml += "<c:axId val=\"50010001\"/><c:axId val=\"50010002\"/>";
    xml += line ? "</c:lineChart>" : "</c:barChart>";
    return xml +
           "<c:catAx><c:axId val=\"50010001\"/><c:scaling><c:orientation val=\"minMax\"/></c:scaling>"
           "<c:axPos val=\"b\"/><c:numFmt formatCode=\"General\" sourceLinked=\"1\"/><c:tickLblPos val=\"nextTo\"/>"
           "<c:crossAx val=\"50010002\"/><c:crosses val=\"autoZero\"/><c:auto val=\"1\"/><c:lblAlgn val=\"ctr\"/>"
           "<c:lblOffset val=\"100\"/></c:catAx><c:valAx><c:axId val=\"50010002\"/><c:scaling><c:orientation "
           "val=\"minMax\"/></c:scaling><c:axPos val=\"l\"/><c:majorGridlines/><c:numFmt formatCode=\"0%\" "
           "sourceLinked=\"0\"/><c:tickLblPos val=\"nextTo\"/><c:crossAx val=\"50010001\"/><c:crosses "
           "val=\"autoZero\"/><c:crossBetween val=\"between\"/></c:valAx></c:plotArea><c:legend><c:legendPos "
           "val=\"r\"/><c:layout/></c:legend><c:plotVisOnly val=\"1\"/></c:chart><c:printSettings><c:headerFooter/>"
           "<c:pageMargins b=\"0.75\" l=\"0.7\" r=\"0.7\" t=\"0.75\" header=\"0.3\" footer=\"0.3\"/><c:pageSetup/>"
           "</c:printSettings></c:chartSpace>";
}

std::string drawingXml(Row row, Column column) {
    // 480 pixels over columns of 64 (the default width): 7 and 32 pixels
    // more; 288 over rows of 20: 14 and 8 more. An offset is in EMU, 9,525
    // to a pixel.
    constexpr int kEmu = 9525;
    const auto cell = [](const char* end, std::size_t c, int columnOffset, std::size_t r, int rowOffset) {
        return std::string("<xdr:") + end + "><xdr:col>" + number(c) + "</xdr:col><xdr:colOff>" +
               std::to_string(columnOffset) + "</xdr:colOff><xdr:row>" + number(r) + "</xdr:row><xdr:rowOff>" +
               std::to_string(rowOffset) + "</xdr:rowOff></xdr:" + end + ">";
    };
    return kDeclaration + "<xdr:wsDr xmlns:xdr=\"" + kOpenXml + "drawingml/2006/spreadsheetDrawing\" xmlns:a=\"" +
           kOpenXml + "drawingml/2006/main\"><xdr:twoCellAnchor>" + cell("from", column, 0, row, 0) +
           cell("to", column + 7u, 32 * kEmu, row + 14u, 8 * kEmu) +
           "<xdr:graphicFrame macro=\"\"><xdr:nvGraphicFramePr><xdr:cNvPr id=\"2\" name=\"Chart 1\"/>"
           "<xdr:cNvGraphicFramePr/></xdr:nvGraphicFramePr><xdr:xfrm><a:off x=\"0\" y=\"0\"/><a:ext cx=\"0\" "
           "cy=\"0\"/></xdr:xfrm><a:graphic><a:graphicData uri=\"" + kOpenXml +
           "drawingml/2006/chart\"><c:chart xmlns:c=\"" + kOpenXml + "drawingml/2006/chart\" xmlns:r=\"" +
           kOfficeRelationships + "\" r:id=\"rId1\"/></a:graphicData></a:graphic></xdr:graphicFrame>"
           "<xdr:clientData/></xdr:twoCellAnchor></xdr:wsDr>";
}

}  // namespace sormel::xlsx
