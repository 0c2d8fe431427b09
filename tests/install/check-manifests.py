"""Checks the package managers' manifests that scripts/package wrote: each one validates
against its published schema, they agree on the version, and the checksum each gives is the
one of the file its address names, as SHA256SUMS lists it and as the file really is.
  check-manifests.py DIST SCHEMAS
Run it with Debian's python3 (python3-jsonschema, python3-yaml). Prints one line per problem
and exits 1 when there is any.
"""
import hashlib
import json
import pathlib
import sys

import jsonschema
import yaml


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def main():
    dist, schemas = (pathlib.Path(arg) for arg in sys.argv[1:3])
    problems = []
    listed = {}
    for line in (dist / "SHA256SUMS").read_text().splitlines():
        digest, name = line.split()
        listed[name] = digest

    def schema_errors(document, schema_file, what):
        schema = json.loads((schemas / schema_file).read_text())
        validator = jsonschema.Draft7Validator(schema, format_checker=jsonschema.FormatChecker())
        for error in validator.iter_errors(document):
            problems.append(f"{what}: {'/'.join(map(str, error.path)) or '(top)'}: {error.message}")

    def check_download(url, digest, what):
        name = url.rsplit("/", 1)[-1]
        if not (dist / name).is_file():
            problems.append(f"{what}: names {name}, which is not in {dist}")
            return
        if digest.lower() != sha256(dist / name) or digest.lower() != listed.get(name):
            problems.append(f"{what}: checksum {digest} is not that of {name}")

    folders = sorted((dist / "winget" / "manifests").glob("*/*/*/*"))
    if len(folders) != 1:
        problems.append(f"winget: expected one version folder, found {[str(f) for f in folders]}")
    versions = set()
    for folder in folders:
        kinds = {
            "Morvane.Tarvo2000.yaml": "manifest.version.1.10.0.json",
            "Morvane.Tarvo2000.installer.yaml": "manifest.installer.1.10.0.json",
            "Morvane.Tarvo2000.locale.en-US.yaml": "manifest.defaultLocale.1.10.0.json",
        }
        present = sorted(p.name for p in folder.iterdir())
        if present != sorted(kinds):
            problems.append(f"winget: {folder} holds {present}")
        for name, schema in kinds.items():
            if not (folder / name).is_file():
                continue
            document = yaml.safe_load((folder / name).read_text())
            schema_errors(document, f"winget-1.10.0/{schema}", f"winget {name}")
            versions.add(document.get("PackageVersion"))
            if name.endswith("installer.yaml"):
                for installer in document.get("Installers", []):
                    check_download(installer["InstallerUrl"], installer["InstallerSha256"], f"winget {name}")
        versions.add(folder.name)

    scoop = yaml.safe_load((dist / "scoop" / "tarvo2000.json").read_text())  # JSON is YAML
    schema_errors(scoop, "scoop/schema.json", "scoop tarvo2000.json")
    versions.add(scoop.get("version"))
    for architecture in scoop.get("architecture", {}).values():
        check_download(architecture["url"], architecture["hash"], "scoop tarvo2000.json")
    if len(versions) != 1:
        problems.append(f"the manifests name different versions: {sorted(map(str, versions))}")

    for problem in problems:
        print(f"check-manifests: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
