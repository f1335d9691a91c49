// SPDX-License-Identifier: GPL-3.0-or-later
#include "props/message_code.h"

namespace quorvel::props {

std::string_view messageCodeText(MessageCode code) {
    switch (code) {
        case kFileNotFound:
            return "ファイルが見つかりません。";
        case kNotCompoundFile:
            return "合成ファイルが見つかりません。";
        case kCannotOpenDocument:
            return "OLE合成ドキュメントファイルを開けません。";
        case kNoPropertyInterface:
            return "プロパティインタフェース取得エラーです。";
        case kNoSummary:
            return "Summary情報がありません。";
        case kSummaryReadFailed:
            return "Summary情報の読み取りは失敗しました。";
        case kSummaryWriteFailed:
            return "Summary情報の書替えは失敗しました。";
        case kNoDocSummary:
            return "ドキュメントSummary情報がありません。";
        case kDocSummaryReadFailed:
            return "ドキュメントSummary情報の読み取りは失敗しました。";
        case kDocSummaryWriteFailed:
            return "ドキュメントSummary情報の書替えは失敗しました。";
        case kPdfEncrypted:
            return "暗号化されたPDFは書き替えられません。";
        case kPdfSigned:
            return "署名されたPDFは書き替えられません。";
        case kPdfNotWritable:
            return "PDFの相互参照が壊れているか、PDFの前に別のデータがあるため書き替えられません。";
        case kPdfFieldWithoutPlace:
            return "PDFに置き場所のない項目は書き込まれませんでした。";
        default:
            return {};
    }
}

}  // namespace quorvel::props
