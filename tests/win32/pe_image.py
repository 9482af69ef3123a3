"""A small reader of 32-bit PE files: headers, imported DLLs, resources and
version blocks, enough to check a built Windows program on the build host."""

import struct
from dataclasses import dataclass, field

RT_CURSOR, RT_BITMAP, RT_ICON = 1, 2, 3
RT_GROUP_CURSOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 12, 14, 16, 24

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B


@dataclass
class Resource:
    type: int | str
    name: int | str
    language: int
    data: bytes


@dataclass
class VersionNode:
    key: str
    text: bool  # wType 1: the value is UTF-16 text
    value: bytes
    children: list = field(default_factory=list)

    def child(self, key):
        matches = [c for c in self.children if c.key == key]
        if len(matches) != 1:
            raise KeyError(f"{self.key} has {len(matches)} children named {key!r}")
        return matches[0]

    def text_value(self):
        text = self.value.decode("utf-16-le")
        return text[:-1] if text.endswith("\0") else text


class PeImage:
    def __init__(self, data: bytes):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("not an MZ file")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe : pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size, self.characteristics) = struct.unpack_from(
            "<HHIIIHH", data, pe + 4
        )
        optional = pe + 24
        self.magic = struct.unpack_from("<H", data, optional)[0]
        if self.magic != PE32_MAGIC:
            raise ValueError("not a 32-bit (PE32) image")
        self.subsystem = struct.unpack_from("<H", data, optional + 68)[0]
        directory_count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [
            struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(directory_count)
        ]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, vsize, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode(), rva, max(vsize, raw_size), raw_offset))

    def offset(self, rva: int) -> int:
        for _, start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def _c_string(self, rva: int) -> str:
        start = self.offset(rva)
        return self.data[start : self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self) -> list[str]:
        rva, _ = self.directories[1]
        names = []
        if rva == 0:
            return names
        at = self.offset(rva)
        while True:
            descriptor = struct.unpack_from("<IIIII", self.data, at)
            if not any(descriptor):
                return names
            names.append(self._c_string(descriptor[3]))
            at += 20

    def resources(self) -> list[Resource]:
        rva, _ = self.directories[2]
        if rva == 0:
            return []
        base = self.offset(rva)
        found = []

        def entries(directory):
            named, numbered = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2 : at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for type_id, types in entries(0):
            for name, names in entries(types & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, size = struct.unpack_from("<II", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.append(Resource(type_id, name, language, self.data[start : start + size]))
        return found


def parse_version_block(data: bytes) -> VersionNode:
    """VS_VERSIONINFO and its StringFileInfo / VarFileInfo children."""

    def align(n):
        return (n + 3) & ~3

    def node(at):
        length, value_length, kind = struct.unpack_from("<HHH", data, at)
        end = at + length
        key_end = at + 6
        while data[key_end : key_end + 2] != b"\0\0":
            key_end += 2
        key = data[at + 6 : key_end].decode("utf-16-le")
        p = align(key_end + 2)
        value_bytes = value_length * 2 if kind == 1 else value_length
        result = VersionNode(key, kind == 1, data[p : p + value_bytes])
        p = align(p + value_bytes)
        while p < end:
            child, p = node(p)
            result.children.append(child)
            p = align(p)
        return result, end

    return node(0)[0]
