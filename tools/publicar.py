#!/usr/bin/env python3
"""Publicador del sitio de actualizaciones de Vandrel (Python 3; para firmar, ademas python3-cryptography).

  publicar.py juego --cliente CARPETA --version 1.2.3 --sitio SITIO [--sin-almacen] [--reemplazar]
                    [--clave PRIVADA ...]
  publicar.py launcher --exe launcher.exe --sitio SITIO --url-base https://... [--web URL] [--discord URL]
                       [--version TEXTO] [--clave PRIVADA ...]
  publicar.py clave --privada clave-privada.pem --publica clave-publica.txt

Escribe en la carpeta SITIO lo que el launcher lee, listo para servir tal cual con cualquier servidor web
estatico (docs/sitio-de-actualizaciones.md). Todo lo que el launcher rechazaria o leeria mal se rechaza antes de
escribir nada; un fallo a medias deshace lo escrito, asi que el sitio queda siempre como estaba o con la
publicacion completa.
"""

import argparse
import hashlib
import os
import re
import shutil
import stat
import sys
import zipfile

EXIT_OK = 0
EXIT_REFUSED = 1   # datos que el launcher rechazaria o leeria mal; no se ha escrito nada
EXIT_USAGE = 2     # linea de ordenes incorrecta (argparse)
EXIT_WRITE = 3     # fallo al escribir o interrupcion; lo escrito se ha deshecho

CHUNK = 1024 * 1024
MAX_PATH_BYTES = 240
MAX_VERSION_CHARS = 20
LAUNCHER_NAME = "launcher.exe"
# Fixed time for every zip entry, so that the same client always gives the same patch.zip.
ZIP_TIME = (1980, 1, 1, 0, 0, 0)

# Files that the launcher itself writes in its folder. A published copy would differ from the player's copy
# after every start (log, cache, version.txt) or undo the player's own choices (qarlok.cfg, locale.cfg), so the
# verification would ask for an update forever. Only at the top of the client folder, any letter case.
LAUNCHER_OWN_FILES = {
    "launcher_log.txt", "verificacion.cache", "verificacion.cache.tmp", "version.txt", "acceso-directo.hecho",
    "latest_remote.txt", "manifest_remote.json", "descarga_temporal.tmp", "patch_temp.zip",
    "launcher_remote.json", "estado_temporal.json", "firma_remota.txt", "launcher.exe.nuevo", "launcher.exe.viejo",
    "qarlok.cfg", "qarlok.cfg.tmp", "locale.cfg", "locale.cfg.tmp",
} | {"descarga_temporal%d.tmp" % n for n in range(10)}

# Windows refuses these in file names; the launcher would fail to create such a file on every update.
WINDOWS_FORBIDDEN = set('<>|?*')

# The launcher's version rule: digits in dot-separated groups, none empty, at most 20 characters in all.
VERSION_RULE = re.compile(r"[0-9]+(\.[0-9]+)*\Z")
# The launcher's own readers, character for character.
ADDRESS_PATTERN = re.compile(r'https?://[^"]+\Z')
LAUNCHER_JSON_PATTERNS = {
    "version": re.compile(r'"version"\s*:\s*"([^"]*)"'),
    "hash": re.compile(r'"hash"\s*:\s*"([a-fA-F0-9]{64})"'),
    "tamano": re.compile(r'"tamano"\s*:\s*(\d+)'),
    "url": re.compile(r'"url"\s*:\s*"(https?://[^"]+)"'),
    "web": re.compile(r'"web"\s*:\s*"(https?://[^"]+)"'),
    "discord": re.compile(r'"discord"\s*:\s*"(https?://[^"]+)"'),
}


class Refused(Exception):
    """Input that the launcher would refuse or misread; raised before anything is written."""


# --- the launcher's path rules ------------------------------------------------------------------------------


def lower_ascii(text):
    return "".join(chr(ord(c) + 32) if "A" <= c <= "Z" else c for c in text)


def is_reserved_device_name(component):
    """CON, PRN, AUX, NUL, COM1-9, LPT1-9, CONIN$, CONOUT$ in any case, with or without an extension."""
    base = lower_ascii(component.split(".", 1)[0]).rstrip(" ")
    if base in ("con", "prn", "aux", "nul", "conin$", "conout$"):
        return True
    # Windows also takes the superscript digits 1, 2 and 3 (code page 1252).
    return len(base) == 4 and base[:3] in ("com", "lpt") and (base[3] in "123456789" or base[3] in "\u00b9\u00b2\u00b3")


def is_short_name_alias(component):
    """An 8.3 short name such as LAUNCH~1.TXT, which Windows may resolve to another, longer name."""
    base, _, ext = component.rpartition(".") if "." in component else (component, "", "")
    tilde = base.find("~")
    return len(base) <= 8 and len(ext) <= 3 and 0 <= tilde < len(base) - 1 and base[tilde + 1:].isdigit() \
        and base[tilde + 1:].isascii()


def component_problem(component):
    if component == "..":
        return "tiene un componente '..'"
    if component in ("", "."):
        return None
    if component[-1] in ". ":
        return "tiene un componente que termina en punto o en espacio (Windows lo recorta)"
    if is_reserved_device_name(component):
        return "usa un nombre reservado de Windows (%s)" % component
    if is_short_name_alias(component):
        return "parece un nombre corto de Windows (%s), que puede ser otro archivo" % component
    return None


def is_safe_relative_path(path):
    """The launcher's rule for a relative path received from the site."""
    return safe_path_problem(path) is None


def safe_path_problem(path):
    if not path or len(path.encode("latin-1", "replace")) > MAX_PATH_BYTES:
        return "mide mas de %d bytes" % MAX_PATH_BYTES if path else "esta vacia"
    if ":" in path:
        return "tiene ':'"
    if path[0] in "/\\":
        return "empieza por una barra"
    if any(ord(c) < 32 for c in path):
        return "tiene un salto de linea o un caracter de control"
    for component in re.split(r"[/\\]", path):
        problem = component_problem(component)
        if problem:
            return problem
    return None


def path_problem(rel):
    """Why a client path (with "/") cannot be published, or None."""
    if any(ord(c) < 32 or ord(c) == 127 for c in rel):
        return "tiene un salto de linea o un caracter de control"
    if any(ord(c) > 127 for c in rel):
        # The launcher takes names as bytes of each player's ANSI code page, which differs between the 16
        # languages; no single encoding names the same file on every machine.
        return "tiene caracteres no ASCII (acentos, enes...); renombralo solo con ASCII"
    if '"' in rel:
        return "tiene comillas dobles"
    if "\\" in rel:
        return "tiene una barra invertida"
    if WINDOWS_FORBIDDEN.intersection(rel):
        return "tiene un caracter que Windows no admite en nombres (< > | ? *)"
    return safe_path_problem(rel)


def shown(text):
    """The text as it can be printed on any console."""
    return text if all(32 <= ord(c) < 127 for c in text) else ascii(text)


# --- reading the client -------------------------------------------------------------------------------------


def excluded_reason(rel):
    parts = re.split(r"[/\\]", rel)
    if lower_ascii(parts[-1]) == LAUNCHER_NAME:
        return "es el launcher; se publica con 'publicar.py launcher'"
    named = [lower_ascii(part) for part in parts if part not in ("", ".")]
    if len(named) == 1 and named[0] in LAUNCHER_OWN_FILES:
        return "lo escribe el propio launcher en cada instalacion"
    return None


def collect_client(client):
    """Sorted list of (relative path with "/", full path) of the files to publish; refuses what cannot be."""
    files, problems = [], []

    def walk_error(error):
        problems.append("no se puede leer %s: %s" % (shown(error.filename or client), error.strerror))

    for dirpath, dirnames, filenames in os.walk(client, onerror=walk_error):
        rel_dir = os.path.relpath(dirpath, client).replace(os.sep, "/")
        prefix = "" if rel_dir == "." else rel_dir + "/"
        for name in list(dirnames):
            if os.path.islink(os.path.join(dirpath, name)):
                dirnames.remove(name)
                problems.append("%s: es un enlace a una carpeta; copia la carpeta en su lugar" % shown(prefix + name))
        for name in filenames:
            rel = prefix + name
            full = os.path.join(dirpath, name)
            reason = excluded_reason(rel)
            if reason:
                print("Omitido (%s): %s" % (reason, shown(rel)))
                continue
            try:
                mode = os.stat(full).st_mode
            except OSError as error:
                problems.append("%s: no se puede leer (%s)" % (shown(rel), error.strerror))
                continue
            if not stat.S_ISREG(mode):
                problems.append("%s: no es un archivo normal" % shown(rel))
                continue
            problem = path_problem(rel)
            if problem:
                problems.append("%s: %s" % (shown(rel), problem))
                continue
            files.append((rel, full))
    files.sort()
    problems.extend(case_collisions([rel for rel, _ in files]))
    if problems:
        raise Refused("el cliente tiene nombres que el launcher no puede instalar:\n  " + "\n  ".join(problems))
    if not files:
        raise Refused("la carpeta del cliente no tiene ningun archivo que publicar")
    return files


def case_collisions(paths):
    """Paths that name the same file or folder on Windows, where letter case does not count."""
    seen = {}  # lower-case name -> (original, is a folder)
    problems = []
    for path in paths:
        parts = path.split("/")
        for depth in range(1, len(parts) + 1):
            name = "/".join(parts[:depth])
            is_folder = depth < len(parts)
            key = lower_ascii(name)
            earlier = seen.setdefault(key, (name, is_folder))
            if earlier != (name, is_folder):
                problems.append("%s y %s son el mismo nombre en Windows" % (earlier[0], name))
    return sorted(set(problems))


# --- writing with undo --------------------------------------------------------------------------------------


class Transaction:
    """Files and folders put in place by one publication; undone as a whole when anything fails."""

    def __init__(self):
        self.created = []   # paths that did not exist before, in creation order
        self.swapped = []   # (final path, backup of what it replaced or None)

    def temp_path(self, folder, name):
        for n in range(1000):
            path = os.path.join(folder, ".%s.%d-%d.tmp" % (name, os.getpid(), n))
            if not os.path.lexists(path):
                return path
        raise OSError("no hay nombre temporal libre en %s" % folder)

    def make_dirs(self, folder):
        if os.path.isdir(folder):
            return
        parent = os.path.dirname(folder)
        if parent and parent != folder:
            self.make_dirs(parent)
        os.mkdir(folder)
        self.created.append(folder)

    def make_temp_dir(self, folder, name):
        path = self.temp_path(folder, name)
        os.mkdir(path)
        self.created.append(path)
        return path

    def open_temp(self, folder, name):
        """A new file with the umask's permissions (readable by the web server), opened for binary writing."""
        path = self.temp_path(folder, name)
        fd = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_BINARY", 0), 0o666)
        self.created.append(path)
        return path, os.fdopen(fd, "wb")

    def write_temp(self, folder, name, data):
        path, out = self.open_temp(folder, name)
        with out:
            out.write(data)
            out.flush()
            os.fsync(out.fileno())
        return path

    def put(self, temp, final):
        """Moves temp onto final; what final held is kept aside until commit. A file is replaced in one step, so
        launchers reading it meanwhile find the old or the new one, never none."""
        backup = None
        if os.path.isdir(final) and not os.path.islink(final):
            backup = self.temp_path(os.path.dirname(final), os.path.basename(final) + ".anterior")
            os.rename(final, backup)
        elif os.path.lexists(final):
            backup = self.temp_path(os.path.dirname(final), os.path.basename(final) + ".anterior")
            try:
                os.link(final, backup)
            except OSError:  # a file system without hard links
                shutil.copy2(final, backup)
        self.swapped.append((final, backup))
        os.replace(temp, final)

    def commit(self):
        for _, backup in self.swapped:
            if backup:
                try:
                    remove_tree(backup)
                except OSError as error:
                    print("AVISO: no se pudo borrar %s (%s); puede borrarse a mano" % (backup, error.strerror))

    def rollback(self):
        for final, backup in reversed(self.swapped):
            try:
                if backup and not os.path.isdir(backup):
                    os.replace(backup, final)
                    continue
                if os.path.lexists(final):
                    remove_tree(final)
                if backup:
                    os.rename(backup, final)
            except OSError:
                print("AVISO: no se pudo restaurar %s" % final, file=sys.stderr)
        for path in reversed(self.created):
            try:
                if os.path.isdir(path) and not os.path.islink(path):
                    shutil.rmtree(path) if os.path.basename(path).startswith(".") else os.rmdir(path)
                elif os.path.lexists(path):
                    os.remove(path)
            except OSError:
                pass


def remove_tree(path):
    if os.path.isdir(path) and not os.path.islink(path):
        shutil.rmtree(path)
    else:
        os.remove(path)


class _Discard:
    def write(self, block):
        pass


def sha256_of(path):
    """SHA-256 and size of a file, read in blocks."""
    return copy_hashing(path, _Discard())


def copy_hashing(source_path, out):
    """Copies a file into an open output in blocks; returns its SHA-256 and size as copied."""
    digest, size = hashlib.sha256(), 0
    with open(source_path, "rb") as source:
        while True:
            block = source.read(CHUNK)
            if not block:
                return digest.hexdigest(), size
            digest.update(block)
            size += len(block)
            out.write(block)


# --- signing ------------------------------------------------------------------------------------------------

SIGNATURE_SUFFIX = ".firma"
MAX_KEYS = 4  # the launcher reads at most 8 signature lines: old and new bytes while launcher.json is swapped
SIGNATURE_LINE = re.compile(r"p256 [0-9a-f]{128}\Z")
PUBLIC_KEY_HEADER = ("# Clave publica de firma del sitio de Vandrel (ECDSA P-256), hecha con publicar.py clave.\n"
                     "# Se compila en el launcher: cmake -DVANDREL_CLAVE_PUBLICA=este-archivo\n")


def crypto():
    """python3-cryptography, needed only to make keys and to sign: an unsigned site needs nothing beyond Python."""
    try:
        from cryptography.hazmat.primitives import hashes, serialization
        from cryptography.hazmat.primitives.asymmetric import ec, utils
    except ImportError:
        raise Refused("firmar necesita python3-cryptography (apt install python3-cryptography)") from None
    return hashes, serialization, ec, utils


def load_keys(paths):
    """The private keys given with --clave, each checked to be a P-256 key."""
    if not paths:
        return []
    if len(paths) > MAX_KEYS:
        raise Refused("como mucho %d claves a la vez" % MAX_KEYS)
    _, serialization, ec, _ = crypto()
    keys = []
    for path in paths:
        try:
            with open(path, "rb") as source:
                key = serialization.load_pem_private_key(source.read(), password=None)
        except OSError as error:
            raise Refused("no se puede leer la clave %s (%s)" % (path, error.strerror)) from None
        except (ValueError, TypeError):
            key = None
        if not isinstance(key, ec.EllipticCurvePrivateKey) or key.curve.name != "secp256r1":
            raise Refused("%s no es una clave privada de 'publicar.py clave' (PEM P-256 sin contrasena)" % path)
        keys.append(key)
    return keys


def signature_text(data, keys):
    """The sidecar of a document: one line per key, "p256 " + r and s in hexadecimal, over the exact bytes."""
    hashes, _, ec, utils = crypto()
    lines = []
    for key in keys:
        r, s = utils.decode_dss_signature(key.sign(data, ec.ECDSA(hashes.SHA256())))
        lines.append("p256 %064x%064x\n" % (r, s))
    return "".join(lines).encode("ascii")


def refuse_unsigned(keys, sidecar, site):
    """Publishing without a key over a signed site would leave every launcher with a key unable to update."""
    if not keys and os.path.exists(sidecar):
        raise Refused("el sitio esta firmado (%s); publica con --clave, o los launchers con clave rechazaran lo "
                      "publicado" % os.path.relpath(sidecar, site))


def make_key(args):
    _, serialization, ec, _ = crypto()
    for path in (args.privada, args.publica):
        if os.path.lexists(path):
            raise Refused("%s ya existe; una clave no se sobrescribe nunca" % path)
    key = ec.generate_private_key(ec.SECP256R1())
    private = key.private_bytes(serialization.Encoding.PEM, serialization.PrivateFormat.PKCS8,
                                serialization.NoEncryption())
    numbers = key.public_key().public_numbers()
    line = "p256 %064x%064x" % (numbers.x, numbers.y)
    tx = Transaction()
    try:
        for path, data, mode in ((args.privada, private, 0o600),
                                 (args.publica, (PUBLIC_KEY_HEADER + line + "\n").encode("ascii"), 0o644)):
            folder = os.path.dirname(os.path.abspath(path))
            tx.make_dirs(folder)
            temp = tx.write_temp(folder, os.path.basename(path), data)
            os.chmod(temp, mode)
            tx.put(temp, path)
    except BaseException:
        tx.rollback()
        raise
    tx.commit()
    print("Clave privada: %s (solo para publicar; guardala fuera del servidor y con copia)" % args.privada)
    print("Clave publica: %s (para compilar el launcher)" % args.publica)
    print(line)
    return EXIT_OK


# --- publishing a client version ----------------------------------------------------------------------------


def version_order(version):
    """Sort key of a version text: its groups as numbers, trailing zero groups dropped (1.2 is 1.2.0)."""
    groups = [int(group) for group in version.split(".")]
    while len(groups) > 1 and groups[-1] == 0:
        groups.pop()
    return groups


def announced_version(site):
    try:
        with open(os.path.join(site, "latest.txt"), "rb") as source:
            text = source.read(64).decode("ascii").strip()
    except (OSError, UnicodeDecodeError):
        return None
    return text if VERSION_RULE.match(text) else None


def check_version(version):
    # Also a folder name on the site: groups of digits never make "." or "..", nor a final dot that Windows drops.
    if not VERSION_RULE.match(version) or len(version) > MAX_VERSION_CHARS:
        raise Refused("la version %s no vale: el launcher solo admite grupos de digitos separados por un punto "
                      "(p. ej. 1.4.2), de %d caracteres como mucho" % (shown(repr(version)), MAX_VERSION_CHARS))


def write_patch(tx, stage, files):
    """Writes stage/patch.zip of the files; returns {path: (hash, size)} of what went into it."""
    entries = {}
    path, out = tx.open_temp(stage, "patch.zip")
    with out:
        with zipfile.ZipFile(out, "w", compression=zipfile.ZIP_DEFLATED) as archive:
            for rel, full in files:
                info = zipfile.ZipInfo(rel, date_time=ZIP_TIME)
                info.compress_type = zipfile.ZIP_DEFLATED
                info.create_system = 0  # the same bytes whichever system publishes
                info.external_attr = 0
                info.file_size = os.path.getsize(full)  # lets zipfile choose ZIP64 for huge files
                with archive.open(info, "w") as entry:
                    entries[rel] = copy_hashing(full, entry)
        out.flush()
        os.fsync(out.fileno())
    final = os.path.join(stage, "patch.zip")
    os.rename(path, final)
    return final, entries


def manifest_text(version, patch_hash, patch_size, store, entries):
    # Every file as "path": {"hash": ..., "tamano": ...}, the only shape the launcher's reader accepts; no value
    # needs escaping because names with quotes, backslashes, control or non-ASCII characters were refused.
    lines = [
        "{",
        '  "version": "%s",' % version,
        '  "patch_hash": "%s",' % patch_hash,
        '  "patch_tamano": %d,' % patch_size,
        '  "almacen": %s,' % ("true" if store else "false"),
        '  "archivos": {',
    ]
    items = sorted(entries.items())
    for n, (rel, (digest, size)) in enumerate(items):
        comma = "," if n + 1 < len(items) else ""
        lines.append('    "%s": {"hash": "%s", "tamano": %d}%s' % (rel, digest, size, comma))
    lines += ["  }", "}", ""]
    return "\n".join(lines).encode("ascii")


def fill_store(tx, site, files, entries):
    """Adds the files missing from archivos/<2>/<hash>; returns (added, present)."""
    first_source = {}
    for rel, full in files:
        first_source.setdefault(entries[rel][0], (rel, full))
    added = present = 0
    for digest in sorted(first_source):
        rel, full = first_source[digest]
        size = entries[rel][1]
        folder = os.path.join(site, "archivos", digest[:2])
        final = os.path.join(folder, digest)
        if os.path.isfile(final):
            # Only the content counts: a store file cut short or altered on the host is written again.
            if sha256_of(final) == (digest, size):
                present += 1
                continue
            print("AVISO: %s no tenia el contenido de su nombre; se reescribe" % os.path.relpath(final, site))
        tx.make_dirs(folder)
        temp, out = tx.open_temp(folder, digest)
        with out:
            copied = copy_hashing(full, out)
            out.flush()
            os.fsync(out.fileno())
        if copied != (digest, size):
            raise OSError("%s ha cambiado durante la publicacion; vuelve a publicar" % rel)
        tx.put(temp, final)  # the old content is kept until commit
        added += 1
    return added, present


def publish_game(args):
    version = args.version
    check_version(version)
    client = os.path.realpath(args.cliente)
    site = os.path.realpath(args.sitio)
    if not os.path.isdir(client):
        raise Refused("no existe la carpeta del cliente %s" % args.cliente)
    if within(site, client) or within(client, site):
        raise Refused("la carpeta del cliente y la del sitio no pueden estar una dentro de la otra")
    if os.path.lexists(site) and not os.path.isdir(site):
        raise Refused("%s no es una carpeta" % args.sitio)
    version_dir = os.path.join(site, version)
    if os.path.lexists(version_dir) and not args.reemplazar:
        raise Refused("la version %s ya esta publicada en %s; usa otra version o --reemplazar" % (version, args.sitio))
    keys = load_keys(args.clave)
    announced = announced_version(site)
    if announced:
        refuse_unsigned(keys, os.path.join(site, announced, "manifest.json" + SIGNATURE_SUFFIX), site)
        if keys and version_order(version) < version_order(announced):
            raise Refused("la version %s es anterior a la anunciada %s: los launchers con clave no vuelven atras. "
                          "Publica el contenido anterior con una version nueva" % (version, announced))
    files = collect_client(client)

    tx = Transaction()
    try:
        tx.make_dirs(site)
        stage = tx.make_temp_dir(site, "publicar-" + version)
        patch, entries = write_patch(tx, stage, files)
        patch_hash, patch_size = sha256_of(patch)
        store = not args.sin_almacen
        manifest_bytes = manifest_text(version, patch_hash, patch_size, store, entries)
        manifest = tx.write_temp(stage, "manifest.json", manifest_bytes)
        os.rename(manifest, os.path.join(stage, "manifest.json"))
        if keys:
            sidecar = tx.write_temp(stage, "manifest.json" + SIGNATURE_SUFFIX, signature_text(manifest_bytes, keys))
            os.rename(sidecar, os.path.join(stage, "manifest.json" + SIGNATURE_SUFFIX))
        added, present = fill_store(tx, site, files, entries) if store else (0, 0)
        tx.put(stage, version_dir)
        # Last: until latest.txt names the version, no launcher looks at anything written above.
        tx.put(tx.write_temp(site, "latest.txt", (version + "\n").encode("ascii")), os.path.join(site, "latest.txt"))
    except BaseException:
        tx.rollback()
        raise
    tx.commit()

    total = sum(size for _, size in entries.values())
    print("Publicada la version %s en %s: %d archivos, %.1f MB; patch.zip %.1f MB%s"
          % (version, site, len(entries), total / 1048576.0, patch_size / 1048576.0,
             ", firmada con %d clave(s)" % len(keys) if keys else ""))
    if store:
        print("Almacen: %d archivos nuevos, %d ya estaban" % (added, present))
    return EXIT_OK


def within(inner, outer):
    return inner == outer or inner.startswith(outer.rstrip(os.sep) + os.sep)


# --- publishing the launcher --------------------------------------------------------------------------------


def check_address(address, option, base_address):
    """Refuses what the launcher's pattern https?://[^"]+ would not read back whole or what could not be used."""
    if (not ADDRESS_PATTERN.match(address) or len(address) > 2000
            or any(ord(c) <= 32 or ord(c) >= 127 or c == "\\" for c in address)
            or address.split("://", 1)[1][:1] in ("", "/")):
        raise Refused("%s %s no vale: debe empezar por http:// o https:// (en minusculas), llevar un servidor y no "
                      "tener espacios, comillas, barras invertidas ni caracteres no ASCII" % (option, shown(address)))
    if base_address and ("?" in address or "#" in address):
        raise Refused("%s %s no vale: el launcher le anade rutas detras, no puede llevar '?' ni '#'"
                      % (option, shown(address)))


def read_launcher_json(path):
    """The fields of an existing launcher.json, read as the launcher reads them."""
    try:
        with open(path, "rb") as source:
            text = source.read().decode("latin-1")
    except OSError:
        return {}
    found = {}
    for field, pattern in LAUNCHER_JSON_PATTERNS.items():
        match = pattern.search(text)
        if match:
            found[field] = match.group(1)
    return found


def launcher_json_text(fields):
    lines = ['  "version": "%s",' % fields["version"], '  "hash": "%s",' % fields["hash"],
             '  "tamano": %d,' % fields["tamano"], '  "url": "%s",' % fields["url"]]
    for field in ("web", "discord"):
        if fields[field]:
            lines.append('  "%s": "%s",' % (field, fields[field]))
    lines[-1] = lines[-1].rstrip(",")
    return ("{\n" + "\n".join(lines) + "\n}\n").encode("ascii")


def earlier_signatures(sidecar):
    try:
        with open(sidecar, "rb") as source:
            lines = source.read(4096).decode("ascii", "replace").splitlines()
    except OSError:
        return b""
    return "".join(line + "\n" for line in lines if SIGNATURE_LINE.match(line)).encode("ascii")


def publish_launcher(args):
    exe = args.exe
    site = os.path.realpath(args.sitio)
    if not os.path.isfile(exe):
        raise Refused("no existe el ejecutable %s" % exe)
    with open(exe, "rb") as source:
        if source.read(2) != b"MZ":
            # Installed as the players' launcher.exe, a non-executable would leave them without a launcher.
            raise Refused("%s no es un ejecutable de Windows" % exe)
    if os.path.lexists(site) and not os.path.isdir(site):
        raise Refused("%s no es una carpeta" % args.sitio)
    base = args.url_base.rstrip("/")
    check_address(base, "--url-base", True)
    url = base + "/launcher/launcher.exe"
    folder = os.path.join(site, "launcher")
    earlier = read_launcher_json(os.path.join(folder, "launcher.json"))
    links = {}
    for field, given in (("web", args.web), ("discord", args.discord)):
        # Not given: keep what the site publishes now, so a new build does not drop the links. "" removes it.
        links[field] = earlier.get(field, "") if given is None else given
        if links[field]:
            check_address(links[field], "--" + field, field == "web")
    if args.version is not None and (any(ord(c) < 32 or ord(c) >= 127 for c in args.version)
                                     or '"' in args.version or "\\" in args.version):
        raise Refused("--version %s no vale: solo ASCII imprimible, sin comillas ni barras invertidas"
                      % shown(args.version))
    keys = load_keys(args.clave)
    sidecar = os.path.join(folder, "launcher.json" + SIGNATURE_SUFFIX)
    refuse_unsigned(keys, sidecar, site)
    if not base.startswith("https://"):
        print("AVISO: la direccion no es HTTPS; el launcher nuevo viajara sin cifrar")

    tx = Transaction()
    try:
        tx.make_dirs(folder)
        temp, out = tx.open_temp(folder, LAUNCHER_NAME)
        with out:
            digest, size = copy_hashing(exe, out)
            out.flush()
            os.fsync(out.fileno())
        fields = {"version": digest[:12] if args.version is None else args.version, "hash": digest,
                  "tamano": size, "url": url, "web": links["web"], "discord": links["discord"]}
        description_bytes = launcher_json_text(fields)
        description = tx.write_temp(folder, "launcher.json", description_bytes)
        tx.put(temp, os.path.join(folder, LAUNCHER_NAME))
        signatures = signature_text(description_bytes, keys) if keys else b""
        if keys:
            # Until launcher.json is replaced the sidecar signs both the old and the new bytes, so a launcher that
            # reads the two files between the steps still finds a valid pair.
            tx.put(tx.write_temp(folder, "launcher.json" + SIGNATURE_SUFFIX, signatures + earlier_signatures(sidecar)),
                   sidecar)
        # After the executable: a launcher that reads the new hash finds the new build in place.
        tx.put(description, os.path.join(folder, "launcher.json"))
        if keys:
            tx.put(tx.write_temp(folder, "launcher.json" + SIGNATURE_SUFFIX, signatures), sidecar)
    except BaseException:
        tx.rollback()
        raise
    tx.commit()
    print("Publicado el launcher %s en %s: %d bytes, hash %s%s" % (fields["version"], folder, size, digest,
                                                                   ", firmado" if keys else ""))
    for field in ("web", "discord"):
        print("  %s: %s" % (field, links[field] or "(sin enlace)"))
    return EXIT_OK


# --- command line -------------------------------------------------------------------------------------------

HELP_EPILOG = """\
Lo que queda en el sitio:
  latest.txt                     la version anunciada; se escribe lo ultimo
  <version>/manifest.json        cada archivo con su SHA-256 y su tamano, patch_hash, patch_tamano, almacen
  <version>/patch.zip            el cliente entero
  archivos/<2 caracteres>/<hash> el almacen por contenido (cada archivo una sola vez para todas las versiones)
  launcher/launcher.exe          el launcher, y launcher/launcher.json con version, hash, tamano, url, web, discord
  <version>/manifest.json.firma  con --clave: la firma de manifest.json (y launcher/launcher.json.firma la de
                                 launcher.json), que exigen los launchers compilados con la clave publica

Codigos de salida:
  0  publicado
  1  rechazado: el launcher lo rechazaria o lo leeria mal; no se ha escrito nada
  2  linea de ordenes incorrecta
  3  fallo al escribir o interrupcion; se ha deshecho lo escrito y el sitio queda como estaba

Nombres de archivo: solo ASCII, sin comillas dobles, barras invertidas, ':', '< > | ? *', caracteres de control,
nombres reservados de Windows (con, nul, aux.pak...), nombres cortos de Windows (LAUNCH~1.TXT) ni componentes que
acaben en punto o espacio; dos nombres que solo se diferencian en mayusculas tampoco. launcher.exe (en cualquier
carpeta) y los archivos que escribe el propio launcher (version.txt, launcher_log.txt, verificacion.cache, qarlok.cfg,
locale.cfg...) no se publican.
Mas detalles y como servir el sitio: docs/sitio-de-actualizaciones.md
"""


def build_parser():
    parser = argparse.ArgumentParser(
        prog="publicar.py", description="Publica el cliente y el launcher de Vandrel en el sitio de actualizaciones.",
        epilog=HELP_EPILOG, formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="orden", required=True, metavar="{juego,launcher,clave}")
    signing = dict(action="append", metavar="PRIVADA",
                   help="firma lo publicado con esta clave privada (de 'publicar.py clave'); se puede repetir para "
                        "firmar con dos claves mientras se cambia de una a otra")

    game = commands.add_parser(
        "juego", help="publica una version del cliente", epilog=HELP_EPILOG,
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Publica la carpeta del cliente como una version y la anuncia en latest.txt.")
    game.add_argument("--cliente", required=True, metavar="CARPETA", help="carpeta con el cliente completo")
    game.add_argument("--version", required=True,
                      help="grupos de digitos separados por un punto, hasta 20 caracteres, p. ej. 1.4.2")
    game.add_argument("--sitio", required=True, metavar="CARPETA", help="carpeta del sitio (se crea si no existe)")
    game.add_argument("--sin-almacen", action="store_true",
                      help="no llena archivos/ y el manifiesto dice \"almacen\": false (solo patch.zip)")
    game.add_argument("--reemplazar", action="store_true",
                      help="sustituye una version ya publicada con el mismo texto (mejor publicar una nueva)")
    game.add_argument("--clave", **signing)
    game.set_defaults(run=publish_game)

    launcher = commands.add_parser(
        "launcher", help="publica launcher.exe y launcher.json", epilog=HELP_EPILOG,
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Publica un launcher.exe nuevo; los launchers instalados se actualizan solos al arrancar.")
    launcher.add_argument("--exe", required=True, metavar="ARCHIVO", help="el launcher.exe a publicar")
    launcher.add_argument("--sitio", required=True, metavar="CARPETA", help="carpeta del sitio")
    launcher.add_argument("--url-base", required=True, metavar="URL",
                          help="direccion publica del sitio, p. ej. https://actualizaciones.ejemplo.com")
    launcher.add_argument("--web", metavar="URL", help="web del servidor (enlace y estado.php); sin indicar se "
                          "conserva la publicada, \"\" la quita")
    launcher.add_argument("--discord", metavar="URL", help="invitacion de Discord; sin indicar se conserva la "
                          "publicada, \"\" la quita")
    launcher.add_argument("--version", metavar="TEXTO",
                          help="version que se muestra al descargar (por defecto, los 12 primeros caracteres del hash)")
    launcher.add_argument("--clave", **signing)
    launcher.set_defaults(run=publish_launcher)

    key = commands.add_parser(
        "clave", help="crea el par de claves de firma", epilog=HELP_EPILOG,
        formatter_class=argparse.RawDescriptionHelpFormatter,
        description="Crea una clave privada (para firmar al publicar; se guarda fuera del servidor) y su clave "
                    "publica (para compilar el launcher). Nunca sobrescribe un archivo.")
    key.add_argument("--privada", required=True, metavar="ARCHIVO", help="donde guardar la clave privada (PEM)")
    key.add_argument("--publica", required=True, metavar="ARCHIVO", help="donde guardar la clave publica")
    key.set_defaults(run=make_key)
    return parser


def main(argv=None):
    args = build_parser().parse_args(argv)
    try:
        return args.run(args)
    except Refused as refusal:
        print("publicar.py: RECHAZADO: %s" % refusal, file=sys.stderr)
        return EXIT_REFUSED
    except OSError as error:
        where = " (%s)" % error.filename if error.filename else ""
        print("publicar.py: ERROR: %s%s; el sitio queda como estaba" % (error.strerror or error, where),
              file=sys.stderr)
        return EXIT_WRITE
    except KeyboardInterrupt:
        print("publicar.py: interrumpido; el sitio queda como estaba", file=sys.stderr)
        return EXIT_WRITE


if __name__ == "__main__":
    sys.exit(main())
