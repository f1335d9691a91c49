// SPDX-License-Identifier: GPL-3.0-or-later
// The user-defined properties of compound documents as Apache POI (HPSF) reads and writes
// them, for check_custom_with_other_readers.py.
//
//   java CustomPropertiesDump dump FILE...
//       one JSON object a line: {"path":..,"codepage":N,"custom":[{"name","type","value"}]}
//       or {"path":..,"error":..}; types in quorvel's words (text int real date bool other),
//       dates as UTC "YYYY-MM-DDTHH:MM:SSZ", reals as Java prints them.
//   java CustomPropertiesDump write FILE CODEPAGE [NAME TYPE VALUE]...
//       adds the given user-defined properties to those of FILE, in that code page.
import java.io.File;
import java.io.FileInputStream;
import java.io.FileOutputStream;
import java.io.InputStream;
import java.io.OutputStream;
import java.time.Instant;
import java.time.temporal.ChronoUnit;
import java.util.Date;
import org.apache.poi.hpsf.CustomProperties;
import org.apache.poi.hpsf.CustomProperty;
import org.apache.poi.hpsf.DocumentSummaryInformation;
import org.apache.poi.hpsf.PropertySetFactory;
import org.apache.poi.hpsf.Variant;
import org.apache.poi.poifs.filesystem.DirectoryNode;
import org.apache.poi.poifs.filesystem.POIFSFileSystem;

public final class CustomPropertiesDump {
    private CustomPropertiesDump() {}

    public static void main(String[] args) throws Exception {
        if (args.length >= 2 && args[0].equals("dump")) {
            for (int i = 1; i < args.length; ++i) {
                System.out.println(dump(args[i]));
            }
        } else if (args.length >= 3 && args[0].equals("write") && (args.length - 3) % 3 == 0) {
            write(args);
        } else {
            System.err.println("usage: CustomPropertiesDump dump FILE... | write FILE CODEPAGE "
                               + "[NAME TYPE VALUE]...");
            System.exit(2);
        }
    }

    private static String dump(String path) {
        StringBuilder out = new StringBuilder("{\"path\":").append(quoted(path));
        try (POIFSFileSystem fs = new POIFSFileSystem(new File(path), true)) {
            CustomProperties custom = readSummary(fs.getRoot()).getCustomProperties();
            out.append(",\"codepage\":").append(custom == null ? -1 : custom.getCodepage());
            out.append(",\"custom\":[");
            String separator = "";
            if (custom != null) {
                for (CustomProperty property : custom.properties()) {
                    out.append(separator).append(entry(property));
                    separator = ",";
                }
            }
            out.append("]");
        } catch (Exception e) {
            out.append(",\"error\":").append(quoted(e.toString()));
        }
        return out.append("}").toString();
    }

    private static DocumentSummaryInformation readSummary(DirectoryNode root) throws Exception {
        if (!root.hasEntry(DocumentSummaryInformation.DEFAULT_STREAM_NAME)) {
            return PropertySetFactory.newDocumentSummaryInformation();
        }
        try (InputStream in =
                 root.createDocumentInputStream(DocumentSummaryInformation.DEFAULT_STREAM_NAME)) {
            return (DocumentSummaryInformation) PropertySetFactory.create(in);
        }
    }

    private static String entry(CustomProperty property) {
        Object value = property.getValue();
        String type = typeName((int) property.getType());
        String text = value == null ? null
                      : value instanceof Date ? utc((Date) value)
                      : value instanceof Boolean ? value.toString()
                      : value instanceof byte[] ? null
                                                : value.toString();
        return "{\"name\":" + quoted(property.getName()) + ",\"type\":" + quoted(type)
            + ",\"value\":" + (text == null ? "null" : quoted(text)) + "}";
    }

    private static String typeName(int variantType) {
        switch (variantType) {
        case Variant.VT_LPSTR:
        case Variant.VT_LPWSTR:
        case Variant.VT_BSTR:
            return "text";
        case Variant.VT_I1:
        case Variant.VT_I2:
        case Variant.VT_I4:
        case Variant.VT_I8:
        case Variant.VT_UI1:
        case Variant.VT_UI2:
        case Variant.VT_UI4:
        case Variant.VT_INT:
        case Variant.VT_UINT:
            return "int";
        case Variant.VT_R4:
        case Variant.VT_R8:
            return "real";
        case Variant.VT_FILETIME:
            return "date";
        case Variant.VT_BOOL:
            return "bool";
        default:
            return "other";
        }
    }

    private static String utc(Date date) {
        return date.toInstant().truncatedTo(ChronoUnit.SECONDS).toString();
    }

    private static void write(String[] args) throws Exception {
        File file = new File(args[1]);
        CustomProperties custom = new CustomProperties();
        custom.setCodepage(Integer.parseInt(args[2]));
        for (int i = 3; i < args.length; i += 3) {
            custom.put(args[i], typedValue(args[i + 1], args[i + 2]));
        }
        POIFSFileSystem fs;
        try (InputStream in = new FileInputStream(file)) {
            fs = new POIFSFileSystem(in);
        }
        DocumentSummaryInformation summary = readSummary(fs.getRoot());
        summary.setCustomProperties(custom);
        summary.write(fs.getRoot(), DocumentSummaryInformation.DEFAULT_STREAM_NAME);
        try (OutputStream out = new FileOutputStream(file)) {
            fs.writeFilesystem(out);
        }
        fs.close();
    }

    private static Object typedValue(String type, String text) {
        switch (type) {
        case "int":
            return Integer.valueOf(text);
        case "real":
            return Double.valueOf(text);
        case "bool":
            return Boolean.valueOf(text);
        case "date":
            return Date.from(Instant.parse(text));
        default:
            return text;
        }
    }

    private static String quoted(String text) {
        StringBuilder out = new StringBuilder("\"");
        for (char c : text.toCharArray()) {
            if (c == '"' || c == '\\') {
                out.append('\\').append(c);
            } else if (c < 0x20) {
                out.append(String.format("\\u%04x", (int) c));
            } else {
                out.append(c);
            }
        }
        return out.append('"').toString();
    }
}
