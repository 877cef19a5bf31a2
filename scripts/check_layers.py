#!/usr/bin/env python3
"""Fails when a library of the program links one of a higher layer.

Reads the target_link_libraries() calls of every CMakeLists.txt under the given source
folder and checks each link between the program's own targets (qvr_*) against the layer
table below: a target may link only targets of lower layers. A target missing from the
table fails too, so that a new library is given its place.
Usage: check_layers.py SRC_DIR
"""
import pathlib
import re
import sys

# From the bottom up; the picture in docs/ARCHITECTURE.md ("Layers") is the same.
LAYERS = [
    ["qvr_abi"],                      # the calling convention
    ["qvr_common"],                   # paths, the window interface, a run's progress
    ["qvr_settings"],                 # the settings file
    ["qvr_backends"],                 # plugin host, catalogue, format operations, status
    ["qvr_shell", "qvr_mail"],        # shell integration; the mail component
    ["qvr_notify", "qvr_mimepackage"],  # the completion notice
    ["qvr_extract"],                  # the extraction engine
    ["qvr_archive"],                  # the archiving engine
    ["qvr_viewer", "qvr_options"],    # the viewer's engines; the options' values and checks
    ["qvr_ui"],                       # what every window shares
    ["qvr_backends_ui", "qvr_viewer_ui", "qvr_options_ui"],  # the rooms' windows
    ["qvr_app"],                      # the main window
    ["QuiverArchiver"],
]
LAYER = {name: level for level, names in enumerate(LAYERS) for name in names}
OURS = re.compile(r"^(qvr_\w+|QuiverArchiver)$")


def links(cmake_text):
    for match in re.finditer(r"target_link_libraries\s*\(([^)]*)\)", cmake_text):
        words = match.group(1).split()
        yield words[0], [w for w in words[1:] if OURS.match(w)]


def main(src):
    problems = []
    for cmake in sorted(pathlib.Path(src).rglob("CMakeLists.txt")):
        for target, used in links(cmake.read_text()):
            if target not in LAYER:
                problems.append(f"{cmake}: {target} has no layer")
                continue
            for lib in used:
                if lib not in LAYER:
                    problems.append(f"{cmake}: {target} links {lib}, which has no layer")
                elif LAYER[lib] >= LAYER[target]:
                    problems.append(f"{cmake}: {target} (layer {LAYER[target]}) links "
                                    f"{lib} (layer {LAYER[lib]}): not below it")
    for problem in problems:
        print(problem)
    print(f"check_layers: {len(problems)} upward or unplaced links")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
