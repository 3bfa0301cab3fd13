"""The type stubs declare what the compiled module has: every public name, every method of
its classes, every enum member, and each function's parameters in order (keyword-only ones
after the "*")."""

import ast
import inspect
from pathlib import Path

import commonobjects as co
from commonobjects import _commonobjects

STUBS = ast.parse((Path(co.__file__).parent / "_commonobjects.pyi").read_text())
STUB_CLASSES = {node.name: node for node in STUBS.body if isinstance(node, ast.ClassDef)}
STUB_FUNCTIONS = {node.name: node for node in STUBS.body if isinstance(node, ast.FunctionDef)}


def stub_parameters(node):
    names = [a.arg for a in node.args.posonlyargs + node.args.args if a.arg != "self"]
    return names + (["*"] if node.args.kwonlyargs else []) + [a.arg for a in node.args.kwonlyargs]


def runtime_parameters(function):
    """The parameters of pybind11's signature line, split at the commas outside brackets."""
    line = function.__doc__.splitlines()[0]
    inside, depth, parts, part = line[line.index("(") + 1:line.rindex(") ->")], 0, [], ""
    for ch in inside:
        depth += ch in "[({"
        depth -= ch in "])}"
        if ch == "," and depth == 0:
            parts.append(part)
            part = ""
        else:
            part += ch
    parts.append(part)
    names = [p.split(":")[0].split("=")[0].strip() for p in parts if p.strip()]
    return [n for n in names if n != "self"]


def enum_members(node):
    return {item.target.id for item in node.body
            if isinstance(item, ast.AnnAssign) and ast.unparse(item.annotation).startswith("ClassVar")}


def members(node):
    names = set()
    for item in node.body:
        if isinstance(item, ast.FunctionDef):
            names.add(item.name)
        elif isinstance(item, ast.AnnAssign):
            names.add(item.target.id)
        elif isinstance(item, ast.Assign):
            names.update(t.id for t in item.targets)
    return names


def test_every_public_name_of_the_module_is_declared():
    declared = set(STUB_CLASSES) | set(STUB_FUNCTIONS) | {
        n.target.id for n in STUBS.body if isinstance(n, ast.AnnAssign)}
    declared.discard("_Enum")  # the stubs' own base of the enumerations
    runtime = {n for n in dir(_commonobjects) if not n.startswith("__")}
    assert runtime - declared == set()
    assert (set(STUB_CLASSES) | set(STUB_FUNCTIONS)) - runtime == {"_Enum"}


def test_every_method_and_enum_member_is_declared_with_its_parameters():
    for name, node in STUB_CLASSES.items():
        if name.startswith("_"):
            continue  # not made from Python
        cls = getattr(_commonobjects, name)
        if hasattr(cls, "__members__"):
            assert set(cls.__members__) == enum_members(node), name
            continue
        own = {n for n, v in vars(cls).items() if not n.startswith("_") or n in ("__init__", "__len__")}
        if issubclass(cls, Exception):
            own = set()  # made by PyErr_NewException; their attributes are set when raised
        assert own - members(node) == set(), name
        for item in node.body:
            if isinstance(item, ast.FunctionDef) and item.name in vars(cls):
                attribute = vars(cls)[item.name]
                if isinstance(attribute, property) or not item.name.isidentifier() or item.name == "__len__":
                    continue
                function = attribute.__func__ if isinstance(attribute, staticmethod) else attribute
                assert runtime_parameters(function) == stub_parameters(item), f"{name}.{item.name}"
    for name, node in STUB_FUNCTIONS.items():
        assert runtime_parameters(getattr(_commonobjects, name)) == stub_parameters(node), name


def test_the_package_exports_what_it_lists():
    assert all(hasattr(co, name) for name in co.__all__)
    assert {n for n, v in vars(co).items() if inspect.isclass(v) or inspect.isfunction(v)
            if not n.startswith("_") and v.__module__.startswith("commonobjects")} <= set(co.__all__)
