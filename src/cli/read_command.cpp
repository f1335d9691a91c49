// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>
#include <string_view>

#include "cli/cli_text.h"
#include "cli/command.h"
#include "cli/jobs_option.h"
#include "document/document_access.h"
#include "platform/ordered_parallel.h"
#include "props/document_facts.h"

namespace quorvel::cli {
namespace {

constexpr std::string_view kUsage =
    "usage: quorvel-cli read [--json] [-j N] FILE...\n"
    "  shows the document properties of each file (compound, Office Open XML, OpenDocument or\n"
    "  PDF), its user-defined properties after them; a PDF shows only the fields it has a place\n"
    "  for, and its producer;\n"
    "  --json: one JSON object per line (\"custom\": [{\"name\", \"type\", \"value\"}];\n"
    "  a PDF's \"producer\"; its entries without a place in PDF are empty);\n"
    "  -j N: read up to N files at once (default: a few per core; 1: one after the other)\n";

// Captions of the shown rows (the dialog's labels), by catalogue index.
std::string_view caption(std::size_t index) {
    static constexpr std::array<std::string_view, props::kCatalogueSize> kCaptions = {
        "Title",
        "表題",
        "元作成者",
        "KeyWord",
        "Comment",
        "Template",
        "最終保存者",
        "改訂",
        "編集日時",
        "最終印刷日時",
        "作成日時",
        "最終保存日時",
        "頁数",
        "単語数",
        "文字数",
        "",
        "APP名",
        "",
        "分類",
        "",
        "",
        "行数",
        "段落数",
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "",
        "会社",
        ""};
    return kCaptions[index];
}

// The lines of the user-defined properties: "  NAME (type): value".
void appendCustomLines(std::string& out, const props::CustomProperties& custom) {
    if (custom.status != props::kSuccess) {
        out += "  ユーザー定義プロパティ: ";
        out += props::messageCodeText(custom.status);
        out += '\n';
    }
    for (const props::CustomProperty& property : custom.items) {
        out += "  ";
        out += property.name;
        out += " (";
        out += props::customTypeName(property.type);
        out += property.readOnly ? ", read-only): " : "): ";
        out += property.value;
        out += '\n';
    }
}

void appendCustomJson(std::string& out, const props::CustomProperties& custom) {
    if (custom.status != props::kSuccess) {
        out += R"(,"customCode":)";
        out += std::to_string(static_cast<int>(custom.status));
    }
    out += R"(,"custom":[)";
    for (std::size_t i = 0; i < custom.items.size(); ++i) {
        const props::CustomProperty& property = custom.items[i];
        out += i == 0 ? R"({"name":")" : R"(,{"name":")";
        appendJsonEscaped(out, property.name);
        out += R"(","type":")";
        out += props::customTypeName(property.type);
        out += R"(","value":")";
        appendJsonEscaped(out, property.value);
        out += property.readOnly ? R"(","readonly":true})" : R"("})";
    }
    out += ']';
}

// What one read of a file gives.
struct FileRead {
    props::MessageCode code = props::kSuccess;
    props::DocProperties props;
    props::CustomProperties custom;
    props::DocumentFacts facts;
};

// The lines that show one file, as the dialog's fields show it (a PDF without the fields it has
// no place for, with its producer), then its user-defined properties.
std::string plainText(const std::string& path, const FileRead& read) {
    const props::DocProperties& props = read.props;
    std::string out = path + ": " + outcomeText(read.code) + '\n';
    for (std::size_t index : props::kDisplayOrder) {
        if (!props::kindHoldsRow(read.facts.kind, index)) {
            continue;
        }
        out += "  ";
        out += caption(index);
        out += ": ";
        if (index < props.size()) {
            const props::PropertyEntry& entry = props[index];
            const bool isDate = index >= props::kFirstDateIndex &&
                                index < props::kFirstDateIndex + props::kDateCount;
            out += isDate ? (entry.isTime ? localTimeText(entry.time) : "") : entry.text;
        }
        out += '\n';
    }
    if (read.facts.kind == props::DocumentKind::Pdf) {
        out += "  Producer: " + read.facts.producer + '\n';
    }
    appendCustomLines(out, read.custom);
    return out;
}

// One file as one JSON object on one line.
std::string jsonText(const std::string& path, const FileRead& read) {
    const props::DocProperties& props = read.props;
    std::string out = R"({"path":")";
    out.reserve(512);
    appendJsonEscaped(out, path);
    out += R"(","code":)";
    out += std::to_string(static_cast<int>(read.code));
    out += R"(,"message":")";
    appendJsonEscaped(out, props::messageCodeText(read.code));
    out += R"(","entries":[)";
    for (std::size_t i = 0; i < props.size(); ++i) {
        out += i == 0 ? R"({"text":")" : R"(,{"text":")";
        appendJsonEscaped(out, props[i].text);
        out += props[i].isTime ? R"(","isTime":true,"time":)" : R"(","isTime":false,"time":)";
        out += std::to_string(props[i].time);
        out += '}';
    }
    out += ']';
    if (read.facts.kind == props::DocumentKind::Pdf) {
        out += R"(,"producer":")";
        appendJsonEscaped(out, read.facts.producer);
        out += '"';
    }
    appendCustomJson(out, read.custom);
    out += "}\n";
    return out;
}

// One file's outcome and the lines that show it.
struct FileOutcome {
    props::MessageCode code = props::kSuccess;
    std::string text;
};

}  // namespace

int runRead(const Arguments& args, std::ostream& out, std::ostream& err) {
    if (args.size() == 1 && args[0] == "--help") {
        out << kUsage;
        return kExitOk;
    }
    bool json = false;
    unsigned jobs = platform::defaultReadThreads();
    std::vector<std::string> files;
    bool options = true;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (options && arg == "--json") {
            json = true;
        } else if (options && arg == kJobsOption) {
            if (++i == args.size() || !parseJobs(args[i], jobs)) {
                err << "quorvel-cli read: -j needs a number from 1 to 1024\n" << kUsage;
                return kExitUsage;
            }
        } else if (options && arg == "--") {
            options = false;
        } else if (options && arg.starts_with("--")) {
            err << "quorvel-cli read: unknown option " << arg << '\n' << kUsage;
            return kExitUsage;
        } else {
            files.push_back(arg);
        }
    }
    if (files.empty()) {
        err << "quorvel-cli read: no file given\n" << kUsage;
        return kExitUsage;
    }
    const auto show = json ? jsonText : plainText;
    int status = kExitOk;
    platform::runInOrder(
        files.size(), jobs,
        [&](std::size_t i) {
            FileRead read;
            read.code =
                document::ReadDocProperties(files[i], read.props, &read.custom, &read.facts);
            return FileOutcome{read.code, show(files[i], read)};
        },
        [&](std::size_t, FileOutcome outcome) {
            out << outcome.text;
            if (outcome.code != props::kSuccess) {
                status = kExitFailed;
            }
            return true;
        });
    return status;
}

}  // namespace quorvel::cli
