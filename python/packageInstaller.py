"""Checks that the packages template matching needs can be imported. Installs nothing."""

import importlib

# Module name, and the Debian package that brings it.
REQUIRED = (("numpy", "python3-numpy"), ("cv2", "python3-opencv"))


def checkPackage():
    missing = []
    reasons = []
    for module, package in REQUIRED:
        try:
            importlib.import_module(module)
        except ImportError as error:
            missing.append(package)
            reasons.append("%s: %s" % (module, error))
    if missing:
        raise ImportError(
            "Template matching needs numpy and OpenCV for this Python. Install them with: "
            "sudo apt-get install " + " ".join(missing) + " (" + "; ".join(reasons) + ")"
        )
