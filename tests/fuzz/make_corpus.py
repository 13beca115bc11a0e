#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets, corpus/<target>/<case>, from
the cases that the unit and Wine tests use. Run it again after changing a
target's input layout; the seeds are committed."""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u16(text):
    return text.encode("utf-16-le")


# Type numbers of script values.
VOID, NULL, BOOL, INT32, DOUBLE, STRING, OBJECT = range(7)

conversions = {
    "void": bytes([VOID]),
    "null": bytes([NULL]),
    "object": bytes([OBJECT]),
    "unknown_type": bytes([7]),
    "bool_true": bytes([BOOL, 1]),
    "bool_false": bytes([BOOL, 0]),
    "int_minus_7": bytes([INT32]) + struct.pack("<i", -7),
    "double_2_9": bytes([DOUBLE]) + struct.pack("<d", 2.9),
    "double_minus_2_9": bytes([DOUBLE]) + struct.pack("<d", -2.9),
    "double_90_7": bytes([DOUBLE]) + struct.pack("<d", 90.7),
    "double_1e20": bytes([DOUBLE]) + struct.pack("<d", 1e20),
    "double_edge": bytes([DOUBLE]) + struct.pack("<d", 2147483647.5),
    "double_minus_edge": bytes([DOUBLE]) + struct.pack("<d", -2147483647.9),
    "double_inf": bytes([DOUBLE]) + struct.pack("<d", float("inf")),
    "double_nan": bytes([DOUBLE]) + struct.pack("<d", float("nan")),
    "string_utf8": bytes([STRING]) + "café 中".encode(),
    "string_nul": bytes([STRING]) + b"ab\0cd",
    "string_empty": bytes([STRING]),
    "string_invalid_utf8": bytes([STRING]) + b"a\xff\xfeb\xc3",
    "string_number": bytes([STRING]) + b"2",
}

bag_integer = {
    "digits": b"20",
    "digits_letters": b"20abc",
    "letters": b"abc",
    "empty": b"",
    "blank_sign": b" \t-42",
    "plus": b"+7",
    "nul": b"12\x003",
    "max": b"2147483647",
    "beyond_max": b"2147483648",
    "beyond_min": b"-2147483649",
    "long": b"99999999999999999999999",
}

md5 = "0cc175b9c0f1b6a831c399e269772661"
update_params = {
    "forced": u16(f"http://update.orvane.com/ZumiPhotoUpload.exe|{md5}|x|New version|1"),
    "not_forced": u16(f"http://update.orvane.com/a.exe|{md5}|x|Message|0"),
    "runs_of_separators": u16("||u||m|||x|tip||0|"),
    "four_fields": u16("u|m|x|tip"),
    "empty_field": u16("u|m||x|tip"),
    "more_fields": u16("u|m|x|tip|1|more|fields"),
    "separators_only": u16("|||||"),
}

urls = [
    "http://update.orvane.com/ZumiPhotoUpload.exe",
    "http://DL.ZUMIPICTAVO.COM/setup/ZumiPhotoUpload.exe",
    "http://Cdn.Update.Orvane.Com:8080/a.exe",
    "http://update.orvane.com/setup dir/new file.exe",
    "http://update.orvane.com/\u30d5\u30a1\u30a4\u30eb.exe",
    "http://update.orvane.com/a%20b.exe",
    "http://orvane.com/a.exe",
    "http://evilorvane.com/a.exe",
    "http://update.orvane.com.evil.net/a.exe",
    "https://update.orvane.com/a.exe",
    "http://a.orvane.com/x y%z\u00e9\t!~",
]
hosts = ["update.orvane.com", "DL.ZUMIPICTAVO.COM", "Cdn.Update.Orvane.Com", "orvane.com",
         "evilorvane.com", "update.orvane.co", "update.orvane.community"]
url_check = {f"url_{i}": u.encode() for i, u in enumerate(urls)}
url_check.update({f"host_{i}": u16(h) for i, h in enumerate(hosts)})

digest_text = {
    "upper_lower": u16("900150983CD24FB0D6963F7D28E17F72" "900150983cd24fb0d6963f7d28e17f72"),
    "trailing_blank": u16("900150983cd24fb0d6963f7d28e17f72 " "900150983cd24fb0d6963f7d28e17f7"),
    "one_digit_off": u16("900150983cd24fb0d6963f7d28e17f72" "900150983cd24fb0d6963f7d28e17f73"),
    "latin_capital": u16("\u00c4\u00e4"),
    "empty": b"",
    "digest_bytes": bytes([0x00, 0x0F, 0xA0, 0xFF]),
    "sha256_upper_lower": u16("BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"
                              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"),
}

registry_text = {
    "text": u16("ab\0cd\0"),
    "digest": u16("0CC175B9C0F1B6A831C399E269772661\0"),
    "odd_bytes": b"abc",
    "no_terminator": u16("abcd"),
    "empty": b"",
    "expandable": u16("%TEMP%\\abc\0"),
    "259_characters": u16("f" * 259 + "\0"),
}


def blocks(announced, *lengths):
    return struct.pack("<q", announced) + b"".join(struct.pack("<I", n) for n in lengths)


receive_buffer = {
    "exactly_one_step": blocks(-1, 10240),
    "one_growth": blocks(-1, 10240, 1),
    "announced": blocks(1000000, 16384, 16384, 16384),
    "beyond_limit": blocks(-1, 50000000, 50000000, 2400000, 1),
    "announced_beyond_limit": blocks(1 << 40, 102400000),
}

resume_headers = {
    "full_with_tag": b'HTTP/1.1 200 OK\r\nAccept-Ranges: bytes\r\nETag: "v1"\r\n'
                     b"Content-Length: 100\r\n\r\n",
    "partial_dated": b"HTTP/1.1 206 Partial Content\r\nContent-Range: bytes 50-99/100\r\n"
                     b"Last-Modified: Wed, 09 Dec 2026 10:00:00 GMT\r\n\r\n",
    "redirect_weak": b'HTTP/1.1 302 Found\r\nETag: W/"weak"\r\nAccept-Ranges: none\r\n'
                     b"HTTP/1.1 200 OK\r\n",
    "script_answer": b"SOCKS 10.0.0.1:1080; PROXY proxy.example:8080; DIRECT",
}


def record(thread, clock, key, capacity, text, fit_capacity, fit_text):
    return (struct.pack("<I4iiH", thread, *clock, key, capacity) + text + b"\0"
            + struct.pack("<H", fit_capacity) + u16(fit_text))


log_record = {
    "layout": record(1234, (9, 5, 3, 7), 3, 8192, b"abc", 4096, "abc"),
    "unknown_key": record(1, (0, 0, 0, 0), 9, 8192, b"x", 4096, "x"),
    "cut_at_limit": record(1, (0, 0, 0, 0), 1, 8192, b"x" * 9000, 4096, "x" * 5000),
    "surrogates": record(7, (23, 59, 59, 999), 2, 64, b"record", 8, "abcdef\U0001F600xy"),
    "small_buffer": record(4294967295, (-1, 100, 7, 1000), 4, 5, b"text", 1, "a"),
}


def task(i_option=0, size=0, shift=0, small=0, o1=1, o2=0, o3=1, ui3=0, flags=0, custom=0,
         texts=("", "", "", "", "", "")):
    head = struct.pack("<iQBbiiiIBI", i_option, size, shift, small, o1, o2, o3, ui3, flags, custom)
    return head + b"\n".join(t.encode("latin-1") for t in texts)


def proxy(kind=5, port=0, texts=("", "", "", "")):
    return struct.pack("<iH", kind, port) + b"\n".join(t.encode("latin-1") for t in texts)


record_builders = {
    "defaults": task() + b"\n" + proxy(),
    "fields": task(7, 0x0000000512345678, 0, 0, 0x1200, 0x0102, 0x0300, 33, 0x80, 0xCAFE,
                   ("http://127.0.0.1:8080/setup.exe", "C:\\temp\\ZumiPhotoUpload.exe",
                    "e1", "e2", "e3", "e4"))
    + b"\n" + proxy(2, 8080, ("10.0.0.1", "user", "pass", "extra")),
    "small_by_size": task(size=204799) + b"\n" + proxy(),
    "not_small_at_limit": task(size=204800) + b"\n" + proxy(),
    "double_byte_at_end": task(texts=("a" * 4098 + "\xd6", "\xd6" * 200, "", "", "x" * 40, "")),
    "long_proxy": task() + b"\n" + proxy(1, 1, ("p" * 5000, "\xd0" * 40, "", "")),
}

file_rename = {
    "rename_in_folder": b"C:\\Temp\\ZumiPhotoUpload.exe\nZumiPhotoUpload(1).exe\0",
    "rename_bare_name": b"ZumiPhotoUpload.exe\nrenamed.exe\0",
    "rename_folder_only": b"D:\\\nname.exe\0",
    "rename_unterminated": b"C:\\a\\b.tmp\nc.exe",
    "rename_too_long": b"C:\\" + b"d" * 250 + b"\\b.tmp\n" + b"\xd6\xd0" * 20 + b"\0",
    "rename_empty_name": b"C:\\a\\b.tmp\n\0",
}

site_rules = {
    "maker": b"https://orvane.com",
    "maker_subdomain_port": b"HTTP://Photos.ZumiPictavo.COM:8080/up.html?x#y",
    "foreign": b"https://photos.example.net",
    "file_page": b"file:///Z:/pages/upload.html",
    "file_entry": b"file://",
    "ipv6": b"http://[::1]:8080/",
    "pattern": b"https://*.example.com",
    "pattern_top_level": b"https://*.com",
    "any": b" * ",
    "user_info": b"https://user@orvane.com/",
    "port_range": b"https://orvane.com:65536",
    "multi_string": u16("https://*.example.com\0http://localhost:8080\0\0"),
}

corpora = {
    "conversions": conversions,
    "bag_integer": bag_integer,
    "site_rules": site_rules,
    "update_params": update_params,
    "url_check": url_check,
    "digest_text": digest_text,
    "registry_text": registry_text,
    "receive_buffer": receive_buffer,
    "resume_headers": resume_headers,
    "log_record": log_record,
    "record_builders": record_builders,
    "file_rename": file_rename,
}

for target, cases in corpora.items():
    folder = os.path.join(HERE, "corpus", target)
    # Inputs a campaign merged in (named by their SHA-1) stay; the named
    # seeds are written afresh.
    os.makedirs(folder, exist_ok=True)
    for old in os.listdir(folder):
        if not re.fullmatch("[0-9a-f]{40}", old):
            os.remove(os.path.join(folder, old))
    for name, data in cases.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)
