// SPDX-License-Identifier: GPL-3.0-or-later
// Puts arbitrary bytes into one part of an OOXML package (the first byte picks which) and
// reads and plans a write of its properties.
#include <array>

#include "package_fuzz_parts.h"

namespace {

const std::string kRels =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
    "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/package/2006/"
    "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
    "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/extended-properties\" Target=\"docProps/app.xml\"/>"
    "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "relationships/custom-properties\" Target=\"docProps/custom.xml\"/></Relationships>";
const std::string kTypes =
    "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>";
const std::string kCore =
    "<cp:coreProperties "
    "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
    "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\">"
    "<dc:title>t</dc:title><dcterms:created>2021-02-03T04:05:06Z</dcterms:created>"
    "</cp:coreProperties>";
const std::string kApp =
    "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "extended-properties\"><TotalTime>5</TotalTime><Company>c</Company></Properties>";
const std::string kCustom =
    "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "custom-properties\" xmlns:vt=\"http://schemas.openxmlformats.org/officeDocument/2006/"
    "docPropsVTypes\"><property fmtid=\"{D5CDD505-2E9C-101B-9397-08002B2CF9AE}\" pid=\"2\" "
    "name=\"a\"><vt:lpwstr>x</vt:lpwstr></property></Properties>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    std::array<std::string, 5> parts = {kRels, kTypes, kCore, kApp, kCustom};
    parts[data[0] % parts.size()] = quorvel::fuzz::bytesOf(data + 1, size - 1);
    quorvel::package::MemoryPackage package;
    package.add("_rels/.rels", parts[0]);
    package.add("[Content_Types].xml", parts[1]);
    package.add("docProps/core.xml", parts[2]);
    package.add("docProps/app.xml", parts[3]);
    package.add("docProps/custom.xml", parts[4]);
    quorvel::fuzz::readAndPlan(package);
    return 0;
}
