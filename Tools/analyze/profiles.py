"""How each measured plug-in's own controls express the measurement's
settings: its drive settings (in its own units), its modes, its trims and
its bypass. A setting is a dict handed to the renderer as it is.
"""

from dataclasses import dataclass, field

from backends import AaxhostRenderer, Lv2Renderer


@dataclass
class Profile:
    name: str
    renderer: object
    drives: list  # [(label, settings)], coolest first
    default_drive: str
    modes: list  # [(label, settings)], default first
    trims: list = field(default_factory=list)  # [(label, settings)] besides the trims at 0
    bypass: dict = None  # settings that bypass, when it can be compensated

    def drive(self, label):
        return dict(self.drives)[label]

    def hottest(self):
        return self.drives[-1][0]


def kestrine(aaxhost, module):
    drives = [(f"Drive {d} dB", {"Drive": str(d)}) for d in (0, 6, 12, 20, 30)]
    trims = [(f"{name} {v:+d} dB", {name: str(v)}) for name in ("LowTrim", "HighTrim", "IOTrim") for v in (10, -10)]
    return Profile(
        name="Kestrine",
        renderer=AaxhostRenderer(aaxhost, module),
        drives=drives,
        default_drive="Drive 0 dB",
        modes=[("Saturator", {"Mode": "Saturator"}), ("Exciter", {"Mode": "Exciter"})],
        trims=trims,
        bypass={"Bypass": "Bypass"},
    )


CALF = "http://calf.sourceforge.net/plugins/"


def peers(lv2apply="lv2apply", lv2info="lv2info"):
    """The LV2 peers Debian ships (calf-plugins), each at its own drive
    control's values (unitless 0.1 to 10), other controls at their defaults."""
    return [
        Profile(
            name="Calf Saturator",
            renderer=Lv2Renderer(CALF + "Saturator", lv2apply, lv2info),
            drives=[(f"drive {d:g}", {"drive": d}) for d in (1, 2.5, 5, 10)],
            default_drive="drive 5",
            modes=[("Saturator", {})],
        ),
        Profile(
            name="Calf Exciter",
            renderer=Lv2Renderer(CALF + "Exciter", lv2apply, lv2info),
            drives=[(f"drive {d:g}", {"drive": d}) for d in (1, 2.5, 5, 8.5, 10)],
            default_drive="drive 8.5",
            modes=[("Exciter", {})],
        ),
    ]


def lv2(uri, lv2apply="lv2apply", lv2info="lv2info"):
    """Any other LV2 plug-in, at its defaults."""
    r = Lv2Renderer(uri, lv2apply, lv2info)
    return Profile(name=r.name, renderer=r, drives=[("default", {})], default_drive="default",
                   modes=[("default", {})])
