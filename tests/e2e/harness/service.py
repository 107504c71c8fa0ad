"""The reference service as a child process, with its control endpoints."""
import subprocess
import urllib.request

from .waiting import wait_for

ACCOUNTS = """\
# e-mail;password;userId;sysId;sysName...
solo@korvane.test;solo-pass;8;21;Solo System
demo@korvane.test;demo;7;12;Alpha;13;Beta;
desk@korvane.test;desk-pass;9;31;Desk 1;32;Desk 2;33;Desk 3;34;Desk 4;35;Desk 5;36;Desk 6;37;Desk 7;38;Desk 8;39;Desk 9;40;Desk 10
"""


class ReferenceService:
    def __init__(self, binary, folder, files_folder, scheme="http", files_of=None):
        """scheme "https": with a self-signed certificate, which no client trusts. FILES_OF:
        {system id: files folder} for trade systems answered from a terminal of their own."""
        (folder / "accounts.txt").write_text(ACCOUNTS)
        self.log_path = folder / "service.log"
        self._log = open(self.log_path, "wb")
        self.process = subprocess.Popen(
            [str(binary), "--port", "0", "--accounts", str(folder / "accounts.txt"), "--files-folder", str(files_folder),
             "--record", str(folder / "requests.txt"), "--lifetime", "900", "--scheme", scheme]
            + [argument for system, files in (files_of or {}).items() for argument in ("--files-of", f"{system}={files}")],
            stdout=self._log, stderr=subprocess.STDOUT)
        self.base_url = wait_for(self._announced_url, 10, "the reference service to listen", interval=0.05)

    def _announced_url(self):
        if self.process.poll() is not None:
            raise RuntimeError("reference service ended: " + self.log_path.read_text(errors="replace"))
        for line in self.log_path.read_text(errors="replace").splitlines():
            if line.startswith("listening on "):
                return line.removeprefix("listening on ").strip()
        return None

    def get(self, target):
        with urllib.request.urlopen(self.base_url + target, timeout=10) as reply:
            return reply.read().decode("latin-1")

    def set_mode(self, mode):
        """mode: "normal", "refuse", "garble", "drop", "short" or "delay&ms=N"."""
        self.get("/__control?mode=" + mode)

    def requests(self):
        """Every request target the service received, in order."""
        return self.get("/__requests").splitlines()

    def requests_to(self, path):
        return [target for target in self.requests() if target.startswith(path + "?")]

    def stop(self):
        self.process.kill()
        self.process.wait()
        self._log.close()
