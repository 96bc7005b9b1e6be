import sys

import pytest

import packageInstaller


def test_names_the_debian_packages_of_what_is_missing(monkeypatch):
    packageInstaller.checkPackage()  # both import here
    # None in sys.modules makes the import fail as a missing module would.
    monkeypatch.setitem(sys.modules, "cv2", None)
    with pytest.raises(ImportError) as raised:
        packageInstaller.checkPackage()
    assert "sudo apt-get install python3-opencv (" in str(raised.value)
    monkeypatch.setitem(sys.modules, "numpy", None)
    with pytest.raises(ImportError, match="install python3-numpy python3-opencv"):
        packageInstaller.checkPackage()
